#include "services/OnboardingLoadingSequence.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace pigmo;
using namespace std::chrono_literals;
using pigmo::test::waitUntil;
using Sequence = OnboardingLoadingSequence;

namespace {

// Three short labels: 200 ms in all, the last one from 130 ms on.
QList<Sequence::Label> shortLabels()
{
    return {{QStringLiteral("first"), 50ms}, {QStringLiteral("second"), 80ms}, {QStringLiteral("third"), 70ms}};
}

std::chrono::milliseconds total(const QList<Sequence::Label>& labels)
{
    std::chrono::milliseconds sum{0};
    for (const Sequence::Label& label : labels)
        sum += label.duration;
    return sum;
}

} // namespace

TEST(OnboardingLoadingSequenceTest, TheFlowsSequencesLastSixAndFourSeconds)
{
    EXPECT_EQ(total(Sequence::setupLabels()), 6000ms);
    EXPECT_EQ(Sequence::setupLabels().last().key, QStringLiteral("onboarding_loading_selecting"));
    EXPECT_EQ(total(Sequence::applyLabels()), 4000ms);
    EXPECT_EQ(Sequence::applyLabels().first().key, QStringLiteral("onboarding_loading_applying"));
}

TEST(OnboardingLoadingSequenceTest, WorkDoneAtOnceCompletesAfterTheWholeSequenceWithoutCheckmark)
{
    Sequence sequence(shortLabels(), false, [] { return true; });
    QSignalSpy labels(&sequence, &Sequence::currentLabelChanged);
    QSignalSpy completed(&sequence, &Sequence::completed);
    QElapsedTimer clock;
    clock.start();
    sequence.start();
    EXPECT_EQ(sequence.currentKey(), QStringLiteral("first"));
    ASSERT_TRUE(waitUntil([&] { return completed.count() > 0; }));
    EXPECT_GE(clock.elapsed(), 195);
    EXPECT_EQ(sequence.currentKey(), QStringLiteral("third"));
    EXPECT_EQ(labels.count(), 3) << "0, then 1 and 2";
    EXPECT_FALSE(sequence.showingCheck());
    QTest::qWait(300);
    EXPECT_EQ(completed.count(), 1);
}

TEST(OnboardingLoadingSequenceTest, LateWorkKeepsTheLastLabelAndCompletesAtTheNextPoll)
{
    bool done = false;
    Sequence sequence(shortLabels(), false, [&] { return done; });
    QSignalSpy completed(&sequence, &Sequence::completed);
    sequence.start();
    QTest::qWait(400);
    EXPECT_TRUE(sequence.minDurationElapsed());
    EXPECT_EQ(completed.count(), 0) << "no time-out";
    EXPECT_EQ(sequence.currentKey(), QStringLiteral("third"));
    done = true;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return completed.count() > 0; }));
    EXPECT_LE(clock.elapsed(), 400) << "within a poll or two";
}

TEST(OnboardingLoadingSequenceTest, TheCheckmarkShowsBeforeTheCompletion)
{
    Sequence sequence(shortLabels(), true, [] { return true; });
    QSignalSpy completed(&sequence, &Sequence::completed);
    sequence.start();
    ASSERT_TRUE(waitUntil([&] { return sequence.showingCheck(); }));
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(completed.count(), 0);
    ASSERT_TRUE(waitUntil([&] { return completed.count() > 0; }));
    EXPECT_GE(clock.elapsed(), 850);
}

TEST(OnboardingLoadingSequenceTest, ASingleLabelNeverAdvances)
{
    Sequence sequence({{QStringLiteral("only"), 60ms}}, false, [] { return true; });
    QSignalSpy labels(&sequence, &Sequence::currentLabelChanged);
    QSignalSpy completed(&sequence, &Sequence::completed);
    sequence.start();
    ASSERT_TRUE(waitUntil([&] { return completed.count() > 0; }));
    EXPECT_EQ(labels.count(), 1);
    EXPECT_EQ(sequence.currentLabelIndex(), 0);
}

TEST(OnboardingLoadingSequenceTest, StoppingCancelsTheLabelsThePollAndADelayedCompletion)
{
    Sequence early(shortLabels(), false, [] { return true; });
    QSignalSpy earlyCompleted(&early, &Sequence::completed);
    early.start();
    early.stop();
    QTest::qWait(350);
    EXPECT_EQ(early.currentLabelIndex(), 0);
    EXPECT_EQ(earlyCompleted.count(), 0);

    Sequence checked(shortLabels(), true, [] { return true; });
    QSignalSpy checkedCompleted(&checked, &Sequence::completed);
    checked.start();
    ASSERT_TRUE(waitUntil([&] { return checked.showingCheck(); }));
    checked.stop(); // the screen went away while the checkmark showed
    QTest::qWait(1100);
    EXPECT_EQ(checkedCompleted.count(), 0) << "a screen that is gone moves nothing on";
}
