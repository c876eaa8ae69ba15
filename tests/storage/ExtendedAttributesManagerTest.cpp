#include "storage/ExtendedAttributesManager.h"

#include "model/StyleJson.h"
#include "support/FileSystem.h"
#include "support/LogCapture.h"
#include "xattr/ExtendedAttributeHandler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <limits>

using namespace pigmo;

namespace {

class ExtendedAttributesManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(path));
        if (!test::userAttributesSupported(path))
            GTEST_SKIP() << "the file system of " << dir.path().toStdString() << " refuses user attributes";
    }

    QByteArray stored() const
    {
        try {
            return xattr::FilePathAttributes(path).extendedAttribute(ExtendedAttributesManager::attributeName);
        } catch (const xattr::XAttrError&) {
            return "<absent>";
        }
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Mes dossiers/été 2024"));
    const QString folder = path;
    const ExtendedAttributesManager manager{};
    test::LogCapture log;
};

const ColorizationData style{HSL{195, 100, 50}, 0.6, Icon{{}, {}, QStringLiteral("📁"), QStringLiteral("folder"), {}},
                             170, IconStyle::vibrant()};

} // namespace

TEST_F(ExtendedAttributesManagerTest, NeverStyledFolderReadsNothingQuietly)
{
    EXPECT_EQ(manager.readSettings(folder), std::nullopt);
    EXPECT_EQ(log.lines(), QStringList{"No extended attribute 'io.velmar.PaintDirs.settings' found for " + path +
                                       ". This is normal if not previously set."});
}

TEST_F(ExtendedAttributesManagerTest, WriteThenReadGivesTheSameStyleAndTheLastWriteWins)
{
    manager.writeSettings(style, folder);
    EXPECT_EQ(stored(), *json::encode(style)) << "the compact JSON, no terminator";
    ColorizationData second = style;
    second.iconStyle = IconStyle::color(HSL{10, 20, 30});
    manager.writeSettings(second, folder);
    EXPECT_EQ(manager.readSettings(folder), second);
    EXPECT_EQ(
        log.lines(),
        (QStringList{"Successfully wrote settings to extended attribute 'io.velmar.PaintDirs.settings' for " + path,
                     "Successfully wrote settings to extended attribute 'io.velmar.PaintDirs.settings' for " + path,
                     "Successfully read settings from extended attributes for " + path}));
}

TEST_F(ExtendedAttributesManagerTest, RecordWithoutIconStyleIsAReadError)
{
    xattr::FilePathAttributes(path).setExtendedAttribute(
        R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1})", ExtendedAttributesManager::attributeName);
    EXPECT_EQ(manager.readSettings(folder), std::nullopt);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("Error reading extended attribute 'io.velmar.PaintDirs.settings' for " +
                                               path + ": "));
    EXPECT_TRUE(log.lines().first().contains("iconStyle"));
}

TEST_F(ExtendedAttributesManagerTest, RemovingTwiceReportsSuccessThenAbsence)
{
    manager.writeSettings(style, folder);
    log.clear();
    manager.removeSettings(folder);
    manager.removeSettings(folder);
    EXPECT_EQ(stored(), "<absent>");
    EXPECT_EQ(log.lines(),
              (QStringList{"Successfully removed extended attribute 'io.velmar.PaintDirs.settings' for " + path,
                           "No extended attribute 'io.velmar.PaintDirs.settings' to remove for " + path + "."}));
}

TEST_F(ExtendedAttributesManagerTest, MissingFolderGivesErrorLines)
{
    const QString missing = dir.filePath(QStringLiteral("gone"));
    const QString url = missing;
    const QString reason = QString::fromLocal8Bit(std::strerror(ENOENT));
    EXPECT_EQ(manager.readSettings(url), std::nullopt);
    manager.writeSettings(style, url);
    manager.removeSettings(url);
    EXPECT_EQ(log.lines(),
              (QStringList{
                  "Error reading extended attribute 'io.velmar.PaintDirs.settings' for " + missing + ": " + reason,
                  "Error writing extended attribute 'io.velmar.PaintDirs.settings' for " + missing + ": " + reason,
                  "Error removing extended attribute 'io.velmar.PaintDirs.settings' for " + missing + ": " + reason}));
}

TEST_F(ExtendedAttributesManagerTest, NonFiniteStyleIsRefusedAndTheOldOneKept)
{
    manager.writeSettings(style, folder);
    const QByteArray before = stored();
    ColorizationData broken = style;
    broken.iconStyle = IconStyle::color(HSL{std::numeric_limits<double>::quiet_NaN(), 1, 1});
    log.clear();
    manager.writeSettings(broken, folder);
    EXPECT_EQ(stored(), before);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("Error writing extended attribute 'io.velmar.PaintDirs.settings' for " +
                                               path + ": "));
}

TEST_F(ExtendedAttributesManagerTest, CustomImageTooLargeForTheFileSystemFailsCleanly)
{
    manager.writeSettings(style, folder);
    const QByteArray before = stored();
    ColorizationData custom = style;
    custom.icon = Icon{{}, {}, {}, Icon::customName, QByteArray(20 * 1024, '\x7f')};
    log.clear();
    manager.writeSettings(custom, folder);
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(log.lines(), QStringList{"Error writing extended attribute 'io.velmar.PaintDirs.settings' for " + path +
                                       ": " + QString::fromLocal8Bit(std::strerror(ENOSPC))});

    // Stored as a folder's new style, it is kept in the history only, and the folder's old style goes.
    const auto kept = manager.storeSettings(custom, folder);
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, ExtendedAttributesManager::Kept::inHistoryOnly);
    EXPECT_EQ(manager.readSettings(folder), std::nullopt);
    EXPECT_EQ(manager.storeSettings(style, folder).value(), ExtendedAttributesManager::Kept::onFolder);
    EXPECT_EQ(manager.readSettings(folder), style);
}

TEST_F(ExtendedAttributesManagerTest, WriteProtectedFolderKeepsItsStyle)
{
    manager.writeSettings(style, folder);
    test::WriteProtection protection(path);
    if (!protection.active())
        GTEST_SKIP() << "cannot write-protect a folder on this machine";
    log.clear();
    manager.writeSettings(ColorizationData{}, folder);
    manager.removeSettings(folder);
    EXPECT_EQ(manager.readSettings(folder), style);
    ASSERT_EQ(log.lines().size(), 3);
    EXPECT_TRUE(log.lines()[0].startsWith("Error writing extended attribute 'io.velmar.PaintDirs.settings' for "));
    EXPECT_TRUE(log.lines()[1].startsWith("Error removing extended attribute 'io.velmar.PaintDirs.settings' for "));
}

TEST_F(ExtendedAttributesManagerTest, LinkedFolderIsFollowed)
{
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(path, link));
    manager.writeSettings(style, link + "/");
    EXPECT_EQ(manager.readSettings(folder), style);
    EXPECT_EQ(log.lines().first(),
              "Successfully wrote settings to extended attribute 'io.velmar.PaintDirs.settings' for " + link);
}

TEST_F(ExtendedAttributesManagerTest, StoredSettingsSpeakOnlyOfErrors)
{
    EXPECT_EQ(manager.storedSettings(path), std::nullopt);
    xattr::FilePathAttributes(path).setExtendedAttribute(*json::encode(style),
                                                         ExtendedAttributesManager::attributeName);
    EXPECT_EQ(manager.storedSettings(path), style);
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join('\n').toStdString();

    xattr::FilePathAttributes(path).setExtendedAttribute("{\"color\":", ExtendedAttributesManager::attributeName);
    EXPECT_EQ(manager.storedSettings(path), std::nullopt);
    EXPECT_EQ(manager.storedSettings(dir.filePath("missing")), std::nullopt);
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(
        log.lines()[0].startsWith("Error reading extended attribute 'io.velmar.PaintDirs.settings' for " + path));
    EXPECT_TRUE(log.lines()[1].endsWith("missing: No such file or directory")) << log.lines()[1].toStdString();
}
