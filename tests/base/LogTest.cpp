#include "base/Log.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QThread>

using namespace pigmo;
using test::LogCapture;

TEST(LogTest, DiagnosticLinesAreDroppedUntilSwitchedOn)
{
    log::setDiagnosticsEnabled(false);
    LogCapture log(false);
    EXPECT_FALSE(log::diagnosticsEnabled());
    log::print(QStringLiteral("Loaded 3 folder styles"));
    log::system(QStringLiteral("[Smart] 📂 Scanning siblings in: /tmp"));
    EXPECT_TRUE(log.lines().isEmpty());

    log::setDiagnosticsEnabled(true);
    EXPECT_TRUE(log::diagnosticsEnabled());
    log::print(QStringLiteral("Loaded 3 folder styles"));
    log::system(QStringLiteral("[Smart] 📂 Scanning siblings in: /tmp"));
    EXPECT_EQ(log.lines(log::Channel::standardOutput), QStringList{"Loaded 3 folder styles"});
    EXPECT_EQ(log.lines(log::Channel::systemLog), QStringList{"[Smart] 📂 Scanning siblings in: /tmp"});

    log::setDiagnosticsEnabled(false);
    log.clear();
    log::print(QStringLiteral("Loaded 3 folder styles"));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(LogTest, WarningsAndAnswersAlwaysPrint)
{
    log::setDiagnosticsEnabled(false);
    LogCapture log(false);
    log::warning(QStringLiteral("Error saving folder styles: disk full"));
    log::answer(QStringLiteral("pigmo2 2.0.0"));
    EXPECT_EQ(log.lines(log::Channel::systemLog), QStringList{"Error saving folder styles: disk full"});
    EXPECT_EQ(log.lines(log::Channel::standardOutput), QStringList{"pigmo2 2.0.0"});
}

TEST(LogTest, CaptureSwitchesDiagnosticsOnWhileItLivesAndRestoresTheSwitch)
{
    log::setDiagnosticsEnabled(false);
    {
        LogCapture log;
        EXPECT_TRUE(log::diagnosticsEnabled());
        // From another thread too: the switch is read there as well.
        QThread* thread = QThread::create([] { log::system(QStringLiteral("from a worker")); });
        thread->start();
        thread->wait();
        delete thread;
        EXPECT_EQ(log.lines(), QStringList{"from a worker"});
    }
    EXPECT_FALSE(log::diagnosticsEnabled());
}
