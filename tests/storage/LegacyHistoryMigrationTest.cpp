#include "storage/LegacyHistoryMigration.h"

#include "storage/ColorizationHistoryStore.h"
#include "storage/Preferences.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

using namespace pigmo;

namespace {

class LegacyHistoryMigrationTest : public ::testing::Test {
protected:
    // Installs the preferences file of an earlier version before anything reads the preferences.
    static void installLegacyPreferences()
    {
        QDir().mkpath(QFileInfo(Preferences::filePath()).path());
        ASSERT_TRUE(QFile::copy(PIGMO_TEST_DATA_DIR "/storage/legacy-preferences.ini", Preferences::filePath()));
    }
    static QString imageFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/ColorizedImages";
    }
    QString file(const QString& name) const { return store->storageDirectory() + "/" + name; }

    test::LogCapture log;
    std::unique_ptr<ColorizationHistoryStore> store;
};

} // namespace

TEST_F(LegacyHistoryMigrationTest, MigratesTheLegacyPreferenceOnceAndRemovesItsImages)
{
    installLegacyPreferences();
    ASSERT_TRUE(QDir().mkpath(imageFolder() + "/thumbs"));
    store = std::make_unique<ColorizationHistoryStore>();
    migrateLegacyHistoryIfNeeded(*store);

    EXPECT_EQ(log.lines(),
              (QStringList{"Removed legacy ColorizedImages folder", "Migrated 4 legacy history entries to new store"}));
    EXPECT_FALSE(QFileInfo::exists(imageFolder()));
    EXPECT_TRUE(Preferences::value(prefs::historyStoreMigrated));
    EXPECT_FALSE(Preferences::contains(prefs::legacyHistoryIDs));

    store->loadChronologicalLog();
    const QList<HistoryLogEntry>& entries = store->chronologicalLog();
    ASSERT_EQ(entries.size(), 3) << "the record without a URL adds nothing";
    EXPECT_EQ(entries[0].folderPath, "/home/ana/Projects");
    EXPECT_EQ(entries[1].folderPath, "/home/ana/Music Library");
    EXPECT_EQ(entries[1].data.icon->emoji, QStringLiteral("🎵"));
    EXPECT_LE(entries[0].timestamp.secsTo(QDateTime::currentDateTimeUtc()), 5) << "stamped with the migration time";

    ColorizationHistoryStore reloaded;
    EXPECT_EQ(reloaded.folderStyles().size(), 2);
    EXPECT_EQ(reloaded.folderStyles().value("/home/ana/Projects").iconStyle, IconStyle::original())
        << "the later record of one folder wins";

    log.clear();
    const QStringList before = QDir(store->storageDirectory()).entryList(QDir::Files | QDir::Hidden);
    QFile::remove(file(ColorizationHistoryStore::logFileName));
    Preferences::setValue(prefs::legacyHistoryIDs, QByteArray("[]"));
    migrateLegacyHistoryIfNeeded(*store);
    EXPECT_TRUE(log.lines().isEmpty()) << "a second run only reads the flag";
    EXPECT_TRUE(Preferences::contains(prefs::legacyHistoryIDs));
    EXPECT_FALSE(QFileInfo::exists(file(ColorizationHistoryStore::logFileName))) << "and writes nothing";
    EXPECT_TRUE(before.contains(ColorizationHistoryStore::logFileName));
}

TEST_F(LegacyHistoryMigrationTest, NothingToMigrateOnlySetsTheFlag)
{
    store = std::make_unique<ColorizationHistoryStore>();
    migrateLegacyHistoryIfNeeded(*store);
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(Preferences::value(prefs::historyStoreMigrated));
    EXPECT_TRUE(QDir(store->storageDirectory()).isEmpty());
}

TEST_F(LegacyHistoryMigrationTest, DeeplyNestedLegacyBytesCountAsUndecodable)
{
    const QByteArray deep = "[{\"data\":" + QByteArray(100000, '[') + QByteArray(100000, ']') + "}]";
    Preferences::setValue(prefs::legacyHistoryIDs, deep);
    store = std::make_unique<ColorizationHistoryStore>();
    migrateLegacyHistoryIfNeeded(*store);
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(Preferences::value(prefs::historyStoreMigrated)) << "marked done: the next start reads only the flag";
    EXPECT_EQ(Preferences::value(prefs::legacyHistoryIDs), deep);
    EXPECT_TRUE(QDir(store->storageDirectory()).isEmpty());
}

TEST_F(LegacyHistoryMigrationTest, UndecodableLegacyBytesStayWhereTheyAre)
{
    Preferences::setValue(prefs::legacyHistoryIDs, QByteArray(R"({"data":1})"));
    ASSERT_TRUE(QDir().mkpath(imageFolder()));
    store = std::make_unique<ColorizationHistoryStore>();
    migrateLegacyHistoryIfNeeded(*store);
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(Preferences::value(prefs::historyStoreMigrated));
    EXPECT_EQ(Preferences::value(prefs::legacyHistoryIDs), QByteArray(R"({"data":1})"));
    EXPECT_TRUE(QFileInfo::exists(imageFolder()));
}

TEST_F(LegacyHistoryMigrationTest, EmptyLegacyArraySavesTheCurrentStylesAndRemovesThePreference)
{
    Preferences::setValue(prefs::legacyHistoryIDs, QByteArray("[]"));
    store = std::make_unique<ColorizationHistoryStore>();
    store->record(QStringLiteral("/kept"), ColorizationData{});
    log.clear();

    migrateLegacyHistoryIfNeeded(*store);
    EXPECT_EQ(log.lines(), QStringList{"Migrated 0 legacy history entries to new store"})
        << "no removal line without a ColorizedImages folder";
    EXPECT_FALSE(Preferences::contains(prefs::legacyHistoryIDs));
    EXPECT_EQ(ColorizationHistoryStore().folderStyles().keys(), QStringList{"/kept"});
}

TEST_F(LegacyHistoryMigrationTest, AMigratedFolderAlreadyInTheStylesFileTakesTheMigratedStyle)
{
    installLegacyPreferences();
    {
        ColorizationHistoryStore earlier;
        earlier.record("/home/ana/Projects",
                       ColorizationData{HSL{10, 20, 30}, 0.5, std::nullopt, 170, IconStyle::inverted()});
    }
    store = std::make_unique<ColorizationHistoryStore>(ColorizationHistoryStore::StylesLoad::inBackground);
    migrateLegacyHistoryIfNeeded(*store);
    ColorizationHistoryStore reloaded;
    EXPECT_EQ(reloaded.folderStyles().size(), 2);
    EXPECT_EQ(reloaded.folderStyles().value("/home/ana/Projects").iconStyle, IconStyle::original())
        << "not the style the file held before";
    EXPECT_EQ(reloaded.folderStyles(), store->folderStyles());
}
