#include "app/TerminationSignals.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <csignal>

using pigmo::TerminationSignals;

TEST(TerminationSignalsTest, TermAndIntArriveOnTheEventLoopInsteadOfKilling)
{
    TerminationSignals signals;
    ASSERT_TRUE(signals.isInstalled());
    QSignalSpy spy(&signals, &TerminationSignals::terminationRequested);
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_EQ(::raise(SIGINT), 0);
    ASSERT_TRUE(spy.wait(2000));
    if (spy.count() < 2)
        spy.wait(500);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toInt(), SIGTERM);
    EXPECT_EQ(spy.at(1).at(0).toInt(), SIGINT);
}

TEST(TerminationSignalsTest, DefaultDispositionComesBackWhenDestroyed)
{
    {
        TerminationSignals signals;
    }
    struct sigaction current = {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}
