#include "ui/main/ApplySequencer.h"

#include "services/LocalizationManager.h"
#include "ui/controls/ControlStyle.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace pigmo;

namespace {

struct Step {
    int index;
    ApplyAnimationPhase phase;
    qint64 at; // milliseconds after the start
};

class ApplySequencerTest : public ::testing::Test {
protected:
    ApplySequencerTest()
    {
        window.resize(900, 560);
        overlay = new ApplyAnimationOverlay(&window);
        sequencer = std::make_unique<ApplySequencer>(*overlay, localization);
        QObject::connect(sequencer.get(), &ApplySequencer::phaseChanged, sequencer.get(),
                         [this](int index, ApplyAnimationPhase phase) {
                             steps.push_back({index, phase, clock.elapsed()});
                         });
        window.show();
    }
    static QList<ApplyAnimationItem> items(int count) { return QList<ApplyAnimationItem>(count); }
    qint64 timeOf(int index, ApplyAnimationPhase phase) const
    {
        for (const Step& step : steps) {
            if (step.index == index && step.phase == phase)
                return step.at;
        }
        return -1;
    }

    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    QWidget window;
    ApplyAnimationOverlay* overlay = nullptr;
    std::unique_ptr<ApplySequencer> sequencer;
    QElapsedTimer clock;
    std::vector<Step> steps;
};

// The steps' timers never fire early; on a loaded machine they may fire late.
constexpr qint64 late = 600;

} // namespace

TEST(ApplyTimingsTest, OneAndTenFoldersFollowTheStagger)
{
    EXPECT_DOUBLE_EQ(ApplyTimings::riseAt(0), 0.35);
    EXPECT_DOUBLE_EQ(ApplyTimings::crossAt(0), 1.30);
    EXPECT_DOUBLE_EQ(ApplyTimings::settleAt(0), 1.75);
    EXPECT_NEAR(ApplyTimings::riseAt(9), 1.43, 1e-9);
    EXPECT_NEAR(ApplyTimings::crossAt(9), 2.38, 1e-9);
    EXPECT_NEAR(ApplyTimings::lastSettled(10), 2.83, 1e-9);
    EXPECT_NEAR(ApplyTimings::lastSettled(10) + ApplyTimings::clearDelay, 4.23, 1e-9);
}

TEST_F(ApplySequencerTest, CardsMoveOnTheirTimesAndTheCheckmarkWaitsForTheOutcome)
{
    clock.start();
    QSignalSpy outcome(sequencer.get(), &ApplySequencer::outcomeShown);
    QSignalSpy cleared(sequencer.get(), &ApplySequencer::cleared);
    const int generation = sequencer->run(items(12));
    EXPECT_EQ(overlay->items().size(), ApplyTimings::maximumItems) << "at most ten cards";
    EXPECT_FALSE(overlay->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return timeOf(9, ApplyAnimationPhase::settled) >= 0; }, 6000));
    for (int i : {0, 9}) {
        for (const auto& [phase, seconds] : {std::pair{ApplyAnimationPhase::rising, ApplyTimings::riseAt(i)},
                                             std::pair{ApplyAnimationPhase::crossing, ApplyTimings::crossAt(i)},
                                             std::pair{ApplyAnimationPhase::settled, ApplyTimings::settleAt(i)}}) {
            const qint64 at = timeOf(i, phase);
            EXPECT_GE(at, qint64(seconds * 1000) - 5) << i;
            EXPECT_LE(at, qint64(seconds * 1000) + late) << i;
        }
    }
    QTest::qWait(300);
    EXPECT_EQ(outcome.count(), 0) << "no ending before the folders reported";
    EXPECT_FALSE(overlay->showCheckmark());
    sequencer->finish(generation, {});
    ASSERT_EQ(outcome.count(), 1);
    EXPECT_TRUE(outcome.first().first().toBool());
    EXPECT_TRUE(overlay->showCheckmark());
    ASSERT_TRUE(cleared.wait(4000));
    EXPECT_TRUE(overlay->isHidden());
}

TEST_F(ApplySequencerTest, ANewerSequenceSilencesTheStepsOfTheEarlierOne)
{
    clock.start();
    QSignalSpy cleared(sequencer.get(), &ApplySequencer::cleared);
    const int first = sequencer->run(items(3));
    QTest::qWait(500); // the first card has risen
    steps.clear();
    clock.restart();
    const int second = sequencer->run(items(1));
    EXPECT_GT(second, first);
    sequencer->finish(first, {QStringLiteral("stale")}); // a stale outcome is ignored
    ASSERT_TRUE(QTest::qWaitFor([&] { return timeOf(0, ApplyAnimationPhase::settled) >= 0; }, 4000));
    for (const Step& step : steps)
        EXPECT_EQ(step.index, 0) << "no card of the earlier sequence moves";
    EXPECT_GE(timeOf(0, ApplyAnimationPhase::rising), 345) << "the earlier rise of card 0 did not act";
    sequencer->finish(second, {QStringLiteral("photos")});
    EXPECT_EQ(sequencer->shownOutcome(), std::nullopt) << "the ending waits for its time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return sequencer->shownOutcome().has_value(); }, 2000));
    EXPECT_FALSE(*sequencer->shownOutcome());
    EXPECT_EQ(sequencer->shownFailures(), QStringList{QStringLiteral("photos")});
    EXPECT_FALSE(sequencer->failureBadge()->isHidden());
    EXPECT_EQ(cleared.count(), 0) << "the earlier clearing step did not empty the new list";
    ASSERT_TRUE(cleared.wait(5000));
}

TEST_F(ApplySequencerTest, TheOldIconsArriveLaterForTheirOwnSequenceOnly)
{
    QImage red(8, 8, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QImage blue(8, 8, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    const int first = sequencer->run(items(2));
    sequencer->setBeforeImages(first, {red});
    ASSERT_EQ(overlay->items().size(), 2);
    EXPECT_EQ(overlay->items()[0].before, red);
    EXPECT_TRUE(overlay->items()[1].before.isNull()) << "a card without its image keeps none";

    const int second = sequencer->run(items(1));
    sequencer->setBeforeImages(first, {blue, blue}); // late, for the sequence replaced
    EXPECT_TRUE(overlay->items()[0].before.isNull());
    sequencer->setBeforeImages(second, {blue, red}); // more images than cards
    ASSERT_EQ(overlay->items().size(), 1);
    EXPECT_EQ(overlay->items()[0].before, blue);
}

TEST_F(ApplySequencerTest, TheOverlayCarriesAnEffectOnlyWhileItFades)
{
    sequencer->finish(sequencer->run(items(1)), {});
    EXPECT_NE(overlay->graphicsEffect(), nullptr) << "it fades in";
    ASSERT_TRUE(QTest::qWaitFor([&] { return overlay->graphicsEffect() == nullptr; }, 2000));
    EXPECT_DOUBLE_EQ(ui::opacityOf(*overlay), 1.0);
    EXPECT_FALSE(overlay->isHidden());
    QSignalSpy cleared(sequencer.get(), &ApplySequencer::cleared);
    ASSERT_TRUE(cleared.wait(6000));
    EXPECT_TRUE(overlay->isHidden());
    EXPECT_EQ(overlay->graphicsEffect(), nullptr);
}
