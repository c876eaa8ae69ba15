#include "storage/Preferences.h"

#include "support/FullDisk.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace pigmo;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// A write that runs out of room (QSettings itself would replace the file with a cut-short one and call it
// done) leaves the file byte for byte as it was, says so and keeps the value, which the next write writes.
TEST(PreferencesTest, AWriteThatRunsOutOfRoomKeepsTheFileAndTheValueForTheNextWrite)
{
    const QString directory = QFileInfo(Preferences::filePath()).path();
    test::FullDisk disk(directory);
    test::LogCapture log;
    ASSERT_TRUE(Preferences::setValue(prefs::selectedTheme, QStringLiteral("dark")));
    const QByteArray before = contents(Preferences::filePath());

    disk.fill(4096);
    const QByteArray colors(6000, 'c'); // more than the room
    EXPECT_FALSE(Preferences::setValue(prefs::customColors, colors));
    disk.empty();
    EXPECT_EQ(contents(Preferences::filePath()), before);
    EXPECT_EQ(log.count("Error saving preferences to " + Preferences::filePath()), 1);
    EXPECT_EQ(Preferences::value(prefs::customColors), colors) << "kept";

    ASSERT_TRUE(Preferences::setValue(prefs::appLanguage, QStringLiteral("fr")));
    const QByteArray after = contents(Preferences::filePath());
    EXPECT_TRUE(after.contains("selectedTheme=dark\n"));
    EXPECT_TRUE(after.contains("customColors=@ByteArray(" + colors + ")\n")) << "written with the next change";
    EXPECT_TRUE(after.contains("AppLanguage=fr\n"));
    EXPECT_EQ(QDir(directory).entryList(QDir::Files | QDir::Hidden), QStringList{"preferences.ini"});
}
