#include "platform/Desktop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

using namespace pigmo;

namespace {

TEST(DesktopTest, LaunchingFailsClearlyWhenNotInstalled)
{
    const Result<void> outcome = Desktop::launchMainProgram();
    EXPECT_FALSE(outcome);
    EXPECT_EQ(outcome.error(), QStringLiteral("io.velmar.pigmo2.desktop is not installed"));
}

TEST(DesktopTest, LaunchesTheInstalledDesktopFile)
{
    const QString applications =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
    ASSERT_TRUE(QDir().mkpath(applications));
    const QString marker = QDir::homePath() + QStringLiteral("/launched");
    QFile entry(applications + QStringLiteral("/io.velmar.pigmo2.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Pigmo 2\nExec=touch " + QFile::encodeName(marker) + "\n");
    entry.close();

    const Result<void> outcome = Desktop::launchMainProgram();
    ASSERT_TRUE(outcome) << outcome.error().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marker); }, 10000));
}

} // namespace
