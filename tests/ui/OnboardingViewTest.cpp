#include "ui/onboarding/OnboardingView.h"

#include "fulldiskaccess/FDAPermissionManager.h"
#include "platform/FolderIcons.h"
#include "platform/UserDirectories.h"
#include "services/FolderLanguagesManager.h"
#include "services/FolderStyler.h"
#include "services/FolderWatcherService.h"
#include "services/IconStylePreferenceManager.h"
#include "services/LocalizationManager.h"
#include "services/OnboardingSuggestionsModel.h"
#include "smart/SmartIconService.h"
#include "smart/SmartTestIndex.h"
#include "storage/BundleResources.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "storage/Preferences.h"
#include "ui/controls/LocalizedText.h"
#include "ui/onboarding/LoopingVideoView.h"
#include "ui/onboarding/OnboardingButtons.h"
#include "ui/onboarding/OnboardingPreferenceScreens.h"
#include "ui/onboarding/OnboardingScreens.h"
#include "ui/onboarding/OnboardingSuggestionsScreen.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace pigmo;
using pigmo::test::waitUntil;
using Step = OnboardingStep;

namespace {

// A home with a desktop, documents and folders of its own, the keyword index of three icons, and the
// onboarding's services over them.
class OnboardingViewTest : public testing::Test {
protected:
    OnboardingViewTest()
    {
        Preferences::remove(prefs::onboardingResumeStep);
        Preferences::remove(prefs::onboardingResumeWatcherChoice);
        Preferences::remove(prefs::hasCompletedOnboarding);
        Preferences::remove(prefs::folderWatcherEnabled);
        Preferences::setValue(prefs::folderWatcherDirectories, QStringList{home.path()});
        qunsetenv("FLATPAK_ID");
        realHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8()); // the short paths over the proposals start at "~"
        fda.checkPermission();
        sources.catalogues.lucide = {test::bundledLucideIcon(QStringLiteral("receipt")),
                                     test::bundledLucideIcon(QStringLiteral("camera")),
                                     test::bundledLucideIcon(QStringLiteral("plane"))};
        sources.languages = {QStringLiteral("en")};
        sources.writeFile(QStringLiteral("lucide_keywords_en"),
                          R"({"receipt": {"invoices": 3}, "camera": {"photos": 3}, "plane": {"travel": 3}})");
        invoices = folder(QStringLiteral("Desktop/Invoices"));
        photos = folder(QStringLiteral("Documents/Photos"));
        travel = folder(QStringLiteral("Travel"));
        styled = folder(QStringLiteral("Documents/Styled"));
        ColorizationData data;
        data.color = HSL{200, 80, 50};
        attributes.writeSettings(data, styled);
    }

    ~OnboardingViewTest() override
    {
        qunsetenv("FLATPAK_ID");
        qputenv("HOME", realHome);
    }

    QString folder(const QString& relative) const
    {
        const QString path = home.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }

    OnboardingView::Services services()
    {
        return {watcher,
                iconStyle,
                languages,
                fda,
                localization,
                [this] { return fda.hasFullDiskAccess(); },
                [this] {
                    const QString root = home.path();
                    return std::make_unique<OnboardingSuggestionsModel>(
                        OnboardingSuggestionsModel::Services{icons, attributes, styler},
                        OnboardingSuggestionsModel::Roots::of(
                            {root, root + QStringLiteral("/Desktop"), root + QStringLiteral("/Documents"), {}, {}}));
                }};
    }

    // A view as a later start makes it, shown in a window.
    std::unique_ptr<OnboardingView> start()
    {
        auto view = std::make_unique<OnboardingView>(services(), [this] { ++completions; });
        view->resize(780, 480);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }

    static void settle(OnboardingView& view)
    {
        EXPECT_TRUE(waitUntil([&] { return !view.isTransitioning(); }, 3000));
    }

    static void click(QWidget* widget)
    {
        ASSERT_TRUE(widget);
        ASSERT_TRUE(widget->isVisible());
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }

    template <typename Screen>
    static Screen* screenOf(OnboardingView& view)
    {
        auto* screen = qobject_cast<Screen*>(view.screen());
        EXPECT_TRUE(screen);
        return screen;
    }

    static void pressReturn(OnboardingView& view)
    {
        QTest::keyClick(&view, Qt::Key_Return);
        settle(view);
    }

    // A new view (a restart) resumes at `expected`.
    void expectResumeAt(Step expected)
    {
        OnboardingView restarted(services(), [] {});
        EXPECT_EQ(restarted.step(), expected);
    }

    QTemporaryDir home;
    QByteArray realHome;
    pigmo::test::TestSources sources;
    Executors executors;
    SmartIconService icons{[this] { return sources.sources(); }};
    const ExtendedAttributesManager attributes{};
    ColorizationHistoryStore history;
    FolderStyler styler{executors, history, attributes, icons};
    // A real watcher over the home; it styles nothing in these tests.
    FolderWatcherService watcher{FolderWatcherService::Dependencies{[] { return true; }, nullptr, {}}};
    IconStylePreferenceManager iconStyle;
    int rebuilds = 0;
    FolderLanguagesManager languages{QStringLiteral("en"), [this] { ++rebuilds; }};
    FDAPermissionManager fda;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    QString invoices, photos, travel, styled;
    int completions = 0;
};

} // namespace

TEST_F(OnboardingViewTest, AFullRunThroughAllElevenStepsResumingAfterEachRestart)
{
    icons.buildIndexIfNeeded();
    auto view = start();
    EXPECT_EQ(view->step(), Step::welcome);
    EXPECT_EQ(Preferences::value(prefs::onboardingResumeStep), 0) << "stored as soon as it is on screen";
    EXPECT_FALSE(view->backButton()->isVisible());
    EXPECT_TRUE(view->progressDots()->isVisible());
    click(screenOf<OnboardingWelcomeScreen>(*view)->continueButton());
    settle(*view);

    // The tutorials: both chevrons, Return goes forward, the animations play.
    ASSERT_EQ(view->step(), Step::tutorialDrag);
    expectResumeAt(Step::tutorialDrag);
    EXPECT_TRUE(view->backButton()->isVisible());
    EXPECT_TRUE(view->forwardButton()->isVisible());
    EXPECT_FALSE(view->continueButton()->isVisible());
    LoopingVideoView* video = screenOf<OnboardingTutorialScreen>(*view)->video();
    EXPECT_TRUE(video->isPlaying());
    EXPECT_NEAR(double(video->width()) / video->height(), OnboardingTutorialScreen::videoAspectRatio, 0.02);
    pressReturn(*view);
    ASSERT_EQ(view->step(), Step::tutorialRightClick);
    EXPECT_TRUE(screenOf<OnboardingTutorialScreen>(*view)->video()->isPlaying());
    click(view->backButton());
    settle(*view);
    EXPECT_EQ(view->step(), Step::tutorialDrag);
    EXPECT_EQ(view->flow().direction(), OnboardingFlow::Direction::backward);
    click(view->forwardButton());
    settle(*view);
    click(view->forwardButton());
    settle(*view);

    // The glyph library: one card selected, following the preference.
    ASSERT_EQ(view->step(), Step::style);
    expectResumeAt(Step::style);
    EXPECT_FALSE(view->forwardButton()->isVisible());
    EXPECT_TRUE(view->continueButton()->isVisible());
    auto* style = screenOf<OnboardingStyleScreen>(*view);
    click(style->card(IconLibrary::emoji));
    EXPECT_EQ(iconStyle.preferredLibrary(), IconLibrary::emoji);
    EXPECT_TRUE(style->card(IconLibrary::emoji)->isSelected());
    EXPECT_FALSE(style->card(IconLibrary::lucide)->isSelected());
    click(style->card(IconLibrary::lucide)); // the index of this home has no emoji
    EXPECT_EQ(iconStyle.preferredLibrary(), IconLibrary::lucide);
    pressReturn(*view);

    // The languages: a click adds, leaving commits once.
    ASSERT_EQ(view->step(), Step::languages);
    expectResumeAt(Step::languages);
    click(screenOf<OnboardingLanguagesScreen>(*view)->cell(QStringLiteral("fr")));
    EXPECT_TRUE(languages.selectedLanguages().contains(QStringLiteral("fr")));
    EXPECT_EQ(rebuilds, 0) << "not on each click";
    click(view->continueButton());
    settle(*view);
    EXPECT_EQ(rebuilds, 1);

    // The watcher: the choice is stored; a restart keeps it.
    ASSERT_EQ(view->step(), Step::watcher);
    expectResumeAt(Step::watcher);
    EXPECT_TRUE(screenOf<OnboardingWatcherScreen>(*view)->video()->isPlaying());
    click(screenOf<OnboardingWatcherScreen>(*view)->skipButton());
    settle(*view);
    EXPECT_EQ(view->step(), Step::fda);
    EXPECT_FALSE(Preferences::value(prefs::onboardingResumeWatcherChoice));
    {
        Preferences::setValue(prefs::onboardingResumeStep, int(Step::watcher));
        OnboardingView restarted(services(), [] {});
        EXPECT_FALSE(restarted.flow().enableWatcherOnFinish());
        Preferences::setValue(prefs::onboardingResumeStep, int(Step::fda));
    }
    click(view->backButton());
    settle(*view);
    click(screenOf<OnboardingWatcherScreen>(*view)->continueButton());
    settle(*view);
    EXPECT_TRUE(Preferences::value(prefs::onboardingResumeWatcherChoice));

    // Folder access is granted here: continue applies the choice and the watcher runs.
    ASSERT_EQ(view->step(), Step::fda);
    expectResumeAt(Step::setupLoading);
    auto* access = screenOf<OnboardingFDAScreen>(*view);
    EXPECT_TRUE(access->accessSwitch()->isOn());
    EXPECT_FALSE(access->withoutAccessButton()->isVisible());
    EXPECT_FALSE(watcher.isEnabled());
    click(access->continueButton());
    settle(*view);
    EXPECT_TRUE(watcher.isEnabled());
    EXPECT_TRUE(Preferences::value(prefs::folderWatcherEnabled));
    EXPECT_TRUE(watcher.isRunning());

    // The setup screen scans, then waits out its labels.
    ASSERT_EQ(view->step(), Step::setupLoading);
    expectResumeAt(Step::setupLoading);
    EXPECT_FALSE(view->progressDots()->isVisible());
    EXPECT_FALSE(view->backButton()->isVisible());
    EXPECT_TRUE(view->suggestionsModel().hasStartedScan());
    EXPECT_EQ(screenOf<OnboardingFakeLoadingScreen>(*view)->label()->key(), QStringLiteral("onboarding_loading_setup"));
    ASSERT_TRUE(waitUntil([&] { return view->step() == Step::suggestions; }, 12000));
    settle(*view);

    // The proposals, grouped by parent; a restart here scans again.
    expectResumeAt(Step::setupLoading);
    auto* suggestions = screenOf<OnboardingSuggestionsScreen>(*view);
    EXPECT_EQ(suggestions->groupHeaders(),
              (QStringList{QStringLiteral("~ › Desktop"), QStringLiteral("~ › Documents"), QStringLiteral("~")}));
    QStringList proposed;
    for (const auto& suggestion : view->suggestionsModel().suggestions())
        proposed.append(QDir(home.path()).relativeFilePath(suggestion.path));
    // Interleaved desktop, documents, home; the styled folder is no candidate.
    EXPECT_EQ(proposed, (QStringList{"Desktop/Invoices", "Documents/Photos", "Desktop", "Documents", "Travel"}));
    ASSERT_EQ(suggestions->cards().size(), 5);
    const double columnWidth = (suggestions->width() - 2 * 32 - 4 * 12) / 5.0;
    for (const auto* card : suggestions->cards())
        EXPECT_NEAR(card->width(), columnWidth, 1) << "groups of one and of three cards share the five columns";
    EXPECT_EQ(suggestions->applyButton()->text(), QStringLiteral("Apply (5)"));
    click(suggestions->cards()[1]);
    EXPECT_EQ(suggestions->applyButton()->text(), QStringLiteral("Apply (4)"));
    EXPECT_FALSE(suggestions->cards()[1]->isSelected());
    click(suggestions->cards()[1]);
    EXPECT_EQ(suggestions->applyButton()->text(), QStringLiteral("Apply (5)"));
    ASSERT_TRUE(QDir(travel).removeRecursively()); // gone while the user chose: its icon cannot be set
    pressReturn(*view);

    // Applying: icons, attributes and history where the icon took; the refused folder is counted.
    ASSERT_EQ(view->step(), Step::applyLoading);
    ASSERT_TRUE(waitUntil([&] { return view->step() == Step::ready; }, 12000));
    settle(*view);
    EXPECT_TRUE(attributes.readSettings(invoices));
    EXPECT_TRUE(attributes.readSettings(photos));
    EXPECT_FALSE(attributes.readSettings(travel));
    EXPECT_FALSE(FolderIcons::icon(invoices).isNull());
    ASSERT_TRUE(waitUntil([&] { return history.folderStyles().contains(photos); }));
    EXPECT_FALSE(history.folderStyles().contains(travel));
    auto* ready = screenOf<OnboardingReadyScreen>(*view);
    ASSERT_TRUE(ready->failureNote());
    EXPECT_EQ(ready->failureNote()->text(), QStringLiteral("1 folder could not be styled."));
    expectResumeAt(Step::ready);

    // Finishing: the flag, no resume keys, one completion.
    click(ready->finishButton());
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(Preferences::value(prefs::hasCompletedOnboarding));
    EXPECT_FALSE(Preferences::contains(prefs::onboardingResumeStep));
    EXPECT_FALSE(Preferences::contains(prefs::onboardingResumeWatcherChoice));
    view->finish();
    EXPECT_EQ(completions, 1);
}

TEST_F(OnboardingViewTest, WithoutFolderAccessTheWayOnLeavesTheWatcherOff)
{
    qputenv("FLATPAK_ID", "io.velmar.Pigmo");
    fda.checkPermission();
    ASSERT_FALSE(fda.hasFullDiskAccess());
    Preferences::setValue(prefs::onboardingResumeStep, int(Step::suggestions));
    auto view = start();
    ASSERT_EQ(view->step(), Step::fda) << "without access a resume past it comes back to it";
    auto* access = screenOf<OnboardingFDAScreen>(*view);
    EXPECT_FALSE(access->continueButton()->isEnabled());
    EXPECT_FALSE(access->accessSwitch()->isOn());
    pressReturn(*view);
    EXPECT_EQ(view->step(), Step::fda) << "Return does nothing while continue is disabled";
    click(access->accessSwitch());
    EXPECT_TRUE(fda.isMonitoring()) << "switching on asks and watches for access";
    EXPECT_FALSE(access->accessSwitch()->isOn()) << "the switch shows the real state";
    fda.stopMonitoring();
    click(access->withoutAccessButton());
    settle(*view);
    EXPECT_EQ(view->step(), Step::setupLoading);
    EXPECT_FALSE(watcher.isEnabled());
    EXPECT_FALSE(watcher.isRunning());
}

TEST_F(OnboardingViewTest, SkippingTheSuggestionsGoesStraightToTheEndAndAnEmptyHomeSaysSo)
{
    QDir(home.filePath(QStringLiteral("Desktop"))).removeRecursively();
    QDir(home.filePath(QStringLiteral("Documents"))).removeRecursively();
    QDir(travel).removeRecursively();
    icons.buildIndexIfNeeded();
    Preferences::setValue(prefs::onboardingResumeStep, int(Step::applyLoading));
    auto view = start();
    ASSERT_EQ(view->step(), Step::setupLoading);
    view->suggestionsModel().startScan();
    ASSERT_TRUE(waitUntil([&] { return view->suggestionsModel().isScanReady(); }));
    view->next();
    settle(*view);
    auto* suggestions = screenOf<OnboardingSuggestionsScreen>(*view);
    EXPECT_TRUE(suggestions->cards().isEmpty());
    EXPECT_EQ(suggestions->applyButton()->text(), QStringLiteral("Apply (0)"));
    EXPECT_FALSE(suggestions->applyButton()->isEnabled());
    pressReturn(*view);
    EXPECT_EQ(view->step(), Step::suggestions);
    click(suggestions->skipButton());
    settle(*view);
    EXPECT_EQ(view->step(), Step::ready);
    EXPECT_FALSE(view->suggestionsModel().isApplying());
    EXPECT_FALSE(screenOf<OnboardingReadyScreen>(*view)->failureNote()) << "nothing failed";
}

TEST_F(OnboardingViewTest, UnknownResumeStepsStartAtTheWelcomeAndTheEdgesDoNotMove)
{
    for (const int stored : {11, -1}) {
        Preferences::setValue(prefs::onboardingResumeStep, stored);
        auto view = start();
        EXPECT_EQ(view->step(), Step::welcome);
        view->goToPreviousStep();
        EXPECT_EQ(view->step(), Step::welcome);
    }
    Preferences::setValue(prefs::onboardingResumeStep, int(Step::ready));
    auto view = start();
    EXPECT_EQ(view->step(), Step::ready);
    view->next();
    EXPECT_EQ(view->step(), Step::ready);
}

TEST_F(OnboardingViewTest, AStepChangeFadesTheOldScreenThenSlidesTheNewOneIn)
{
    Preferences::setValue(prefs::onboardingResumeStep, int(Step::tutorialDrag));
    auto view = start();
    view->next();
    QWidget* incoming = view->screen();
    EXPECT_TRUE(view->isTransitioning());
    QTest::qWait(OnboardingView::slideInDelayMs / 2);
    EXPECT_GT(incoming->x(), 25) << "waits to the right while the old screen fades";
    settle(*view);
    EXPECT_EQ(incoming->x(), 0);
    view->goToPreviousStep();
    incoming = view->screen();
    QTest::qWait(OnboardingView::slideInDelayMs + 20);
    EXPECT_LT(incoming->x(), 0) << "going back it comes from the left";
    settle(*view);
    EXPECT_EQ(incoming->x(), 0);
}

TEST(OnboardingLanguagesScreenTest, FlagsAndTheLastLanguageStays)
{
    EXPECT_EQ(OnboardingLanguagesScreen::languages().size(), 11);
    EXPECT_EQ(OnboardingLanguagesScreen::flag(QStringLiteral("de")),
              QString::fromUtf8("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"));
    EXPECT_EQ(OnboardingLanguagesScreen::flag(QStringLiteral("xx")), QString::fromUtf8("\xF0\x9F\x8C\x90"));
    int rebuilds = 0;
    FolderLanguagesManager manager(QStringLiteral("en"), [&] { ++rebuilds; });
    manager.setSelectedLanguages({QStringLiteral("en")});
    manager.commitChanges();
    rebuilds = 0;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    {
        OnboardingLanguagesScreen screen(localization, manager);
        screen.toggle(QStringLiteral("en"));
        EXPECT_EQ(manager.selectedLanguages(), QSet<QString>{QStringLiteral("en")}) << "the last one stays";
        EXPECT_TRUE(screen.cell(QStringLiteral("en"))->isSelected());
    }
    EXPECT_EQ(rebuilds, 0) << "leaving unchanged rebuilds nothing";
}
