#include "platform/Autostart.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

using namespace pigmo;

namespace {

QByteArray contents()
{
    QFile file(Autostart::filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(AutostartTest, EnableWritesTheXdgEntryAndDisableDeletesIt)
{
    EXPECT_TRUE(Autostart::filePath().endsWith(QStringLiteral("/autostart/io.velmar.pigmo2.desktop")));
    EXPECT_TRUE(Autostart::filePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    EXPECT_FALSE(Autostart::isEnabled());

    ASSERT_TRUE(Autostart::enable());
    EXPECT_TRUE(Autostart::isEnabled());
    const QByteArray entry = contents();
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n")) << "never [Desktop%20Entry]";
    EXPECT_TRUE(entry.contains("\nExec=pigmo2 --autostart\n"));
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    EXPECT_TRUE(Autostart::enable()) << "enabling twice is harmless";

    ASSERT_TRUE(Autostart::disable());
    EXPECT_FALSE(QFileInfo::exists(Autostart::filePath()));
    EXPECT_FALSE(Autostart::isEnabled());
    EXPECT_TRUE(Autostart::disable());
}

TEST(AutostartTest, HiddenEntryCountsAsDisabledAndIsReplacedByEnable)
{
    QDir().mkpath(QFileInfo(Autostart::filePath()).path());
    QFile file(Autostart::filePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nExec=pigmo2 --autostart\nHidden=true\n");
    file.close();
    EXPECT_FALSE(Autostart::isEnabled());
    ASSERT_TRUE(Autostart::enable());
    EXPECT_TRUE(Autostart::isEnabled());
}

TEST(AutostartTest, UnwritableFolderFailsWithLog)
{
    test::LogCapture logs;
    const QString autostartDir = QFileInfo(Autostart::filePath()).path();
    QFile blocker(autostartDir);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the folder should be";
    blocker.close();
    EXPECT_FALSE(Autostart::enable());
    EXPECT_FALSE(Autostart::isEnabled());
    EXPECT_TRUE(logs.contains(QStringLiteral("Autostart: cannot")));
}

} // namespace
