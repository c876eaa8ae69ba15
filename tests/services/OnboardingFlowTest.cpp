#include "services/OnboardingFlow.h"

#include "services/FolderWatcherService.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace pigmo;
using Step = OnboardingStep;

namespace {

class OnboardingFlowTest : public testing::Test {
protected:
    OnboardingFlowTest()
    {
        Preferences::remove(prefs::onboardingResumeStep);
        Preferences::remove(prefs::onboardingResumeWatcherChoice);
        Preferences::remove(prefs::hasCompletedOnboarding);
        Preferences::remove(prefs::folderWatcherEnabled);
        Preferences::setValue(prefs::folderWatcherDirectories, QStringList{watched.path()});
    }

    // A real watcher over a scratch directory; it styles nothing in these tests.
    std::unique_ptr<FolderWatcherService> makeWatcher()
    {
        return std::make_unique<FolderWatcherService>(
            FolderWatcherService::Dependencies{[] { return true; }, nullptr, {}});
    }

    std::unique_ptr<OnboardingFlow> makeFlow(FolderWatcherService& watcher)
    {
        return std::make_unique<OnboardingFlow>(OnboardingFlow::Services{watcher, [this] { return access; }});
    }

    int storedStep() const { return Preferences::value(prefs::onboardingResumeStep); }

    QTemporaryDir watched;
    bool access = true;
};

} // namespace

TEST_F(OnboardingFlowTest, AFirstStartBeginsWithTheWelcomeAndStoresIt)
{
    auto watcher = makeWatcher();
    auto flow = makeFlow(*watcher);
    EXPECT_EQ(flow->step(), Step::welcome);
    EXPECT_TRUE(flow->enableWatcherOnFinish()) << "on when no choice is stored";
    EXPECT_FALSE(Preferences::contains(prefs::onboardingResumeStep));
    flow->saveResumeStep();
    EXPECT_TRUE(Preferences::contains(prefs::onboardingResumeStep));
    EXPECT_EQ(storedStep(), 0);
}

TEST_F(OnboardingFlowTest, ARestartResumesAtEveryStepAsStored)
{
    auto watcher = makeWatcher();
    for (bool granted : {true, false}) {
        access = granted;
        for (int raw = 0; raw <= 10; ++raw) {
            Preferences::setValue(prefs::onboardingResumeStep, raw);
            Step expected = *onboardingStep(raw);
            if (raw >= 6 && raw <= 9)
                expected = granted ? Step::setupLoading : Step::fda;
            EXPECT_EQ(makeFlow(*watcher)->step(), expected) << raw << " access " << granted;
        }
    }
    for (int raw : {-1, 11, 400}) {
        Preferences::setValue(prefs::onboardingResumeStep, raw);
        EXPECT_EQ(makeFlow(*watcher)->step(), Step::welcome) << raw;
    }
    const PreferenceKey<QString> asText{prefs::onboardingResumeStep.name, {}};
    Preferences::setValue(asText, QStringLiteral("style"));
    EXPECT_EQ(makeFlow(*watcher)->step(), Step::welcome) << "not a number";
}

TEST_F(OnboardingFlowTest, TheWholeRunMovesStepByStepStoringEachStepAndTheWatcherChoice)
{
    auto watcher = makeWatcher();
    auto flow = makeFlow(*watcher);
    QSignalSpy moves(flow.get(), &OnboardingFlow::stepChanged);
    flow->next(); // get started
    flow->next(); // forward chevron
    EXPECT_EQ(flow->step(), Step::tutorialRightClick);
    flow->goToPreviousStep();
    EXPECT_EQ(flow->step(), Step::tutorialDrag);
    EXPECT_EQ(flow->direction(), OnboardingFlow::Direction::backward);
    EXPECT_EQ(storedStep(), 1);
    flow->next();
    EXPECT_EQ(flow->direction(), OnboardingFlow::Direction::forward);
    flow->next(); // style
    flow->next(); // languages
    flow->next(); // watcher
    ASSERT_EQ(flow->step(), Step::watcher);
    flow->chooseWatcher(true);
    EXPECT_TRUE(Preferences::value(prefs::onboardingResumeWatcherChoice));
    ASSERT_EQ(flow->step(), Step::fda);
    EXPECT_FALSE(watcher->isEnabled()) << "the choice is applied on the access step";
    flow->applyWatcherChoice();
    EXPECT_TRUE(watcher->isEnabled());
    EXPECT_TRUE(watcher->isRunning());
    EXPECT_TRUE(Preferences::value(prefs::folderWatcherEnabled));
    EXPECT_EQ(flow->step(), Step::setupLoading);
    flow->next();
    flow->next();
    flow->next();
    EXPECT_EQ(flow->step(), Step::ready);
    EXPECT_EQ(storedStep(), 10);
    EXPECT_EQ(moves.count(), 12);
    flow->next();
    EXPECT_EQ(flow->step(), Step::ready) << "nothing after the last step";
    EXPECT_EQ(moves.count(), 12);
}

TEST_F(OnboardingFlowTest, TheStoredWatcherChoiceSurvivesARestart)
{
    auto watcher = makeWatcher();
    Preferences::setValue(prefs::onboardingResumeStep, static_cast<int>(Step::watcher));
    Preferences::setValue(prefs::onboardingResumeWatcherChoice, false);
    auto flow = makeFlow(*watcher);
    EXPECT_EQ(flow->step(), Step::watcher);
    EXPECT_FALSE(flow->enableWatcherOnFinish());
    flow->chooseWatcher(false);
    flow->applyWatcherChoice();
    EXPECT_FALSE(watcher->isEnabled());
    EXPECT_FALSE(watcher->isRunning());
}

TEST_F(OnboardingFlowTest, WithoutFolderAccessTheFlowGoesOnWithTheWatcherOff)
{
    access = false;
    auto watcher = makeWatcher();
    watcher->setEnabled(true);
    Preferences::setValue(prefs::onboardingResumeStep, static_cast<int>(Step::suggestions));
    auto flow = makeFlow(*watcher);
    ASSERT_EQ(flow->step(), Step::fda);
    EXPECT_TRUE(flow->enableWatcherOnFinish());
    flow->continueWithoutAccess();
    EXPECT_EQ(flow->step(), Step::setupLoading);
    EXPECT_FALSE(flow->enableWatcherOnFinish());
    EXPECT_FALSE(watcher->isEnabled());
    EXPECT_FALSE(Preferences::value(prefs::folderWatcherEnabled));
}

TEST_F(OnboardingFlowTest, SkippingTheSuggestionsJumpsToTheLastStepKeepingTheDirection)
{
    auto watcher = makeWatcher();
    Preferences::setValue(prefs::onboardingResumeStep, static_cast<int>(Step::setupLoading));
    auto flow = makeFlow(*watcher);
    flow->next();
    ASSERT_EQ(flow->step(), Step::suggestions);
    QSignalSpy moves(flow.get(), &OnboardingFlow::stepChanged);
    flow->skipToReady();
    EXPECT_EQ(flow->step(), Step::ready);
    ASSERT_EQ(moves.count(), 1);
    EXPECT_TRUE(moves[0][2].toBool());
    EXPECT_EQ(flow->direction(), OnboardingFlow::Direction::forward);
}

TEST_F(OnboardingFlowTest, BackOnTheWelcomeStaysButSetsTheDirection)
{
    auto watcher = makeWatcher();
    auto flow = makeFlow(*watcher);
    flow->goToPreviousStep();
    EXPECT_EQ(flow->step(), Step::welcome);
    EXPECT_EQ(flow->direction(), OnboardingFlow::Direction::backward);
}

TEST_F(OnboardingFlowTest, FinishingStoresCompletionAndRemovesTheResumeKeysOnce)
{
    auto watcher = makeWatcher();
    Preferences::setValue(prefs::onboardingResumeStep, 10);
    Preferences::setValue(prefs::onboardingResumeWatcherChoice, true);
    auto flow = makeFlow(*watcher);
    QSignalSpy finished(flow.get(), &OnboardingFlow::finished);
    flow->finish();
    flow->finish();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(flow->isFinished());
    EXPECT_TRUE(Preferences::value(prefs::hasCompletedOnboarding));
    EXPECT_FALSE(Preferences::contains(prefs::onboardingResumeStep));
    EXPECT_FALSE(Preferences::contains(prefs::onboardingResumeWatcherChoice));
}

TEST_F(OnboardingFlowTest, ChevronsContinueButtonAndDotsShowOnTheirSteps)
{
    QList<int> back;
    QList<int> forward;
    QList<int> proceed;
    QList<int> dots;
    for (int raw = 0; raw <= 10; ++raw) {
        const Step step = *onboardingStep(raw);
        if (OnboardingFlow::showsBackButton(step))
            back.append(raw);
        if (OnboardingFlow::showsForwardButton(step))
            forward.append(raw);
        if (OnboardingFlow::showsContinueButton(step))
            proceed.append(raw);
        if (OnboardingFlow::showsProgressDots(step))
            dots.append(raw);
    }
    EXPECT_EQ(back, (QList<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(forward, (QList<int>{1, 2}));
    EXPECT_EQ(proceed, (QList<int>{3, 4}));
    EXPECT_EQ(dots.size(), OnboardingFlow::progressDotCount);
    EXPECT_EQ(dots.last(), 6);
}
