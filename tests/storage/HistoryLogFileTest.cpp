#include "storage/HistoryLogFile.h"

#include "model/StyleJson.h"
#include "storage/ColorizationHistoryStore.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace pigmo;

namespace {

HistoryLogEntry entryFor(const QString& folder, double hue)
{
    return {folder, ColorizationData{HSL{hue, 100, 50}, 0.6, std::nullopt, 170, IconStyle::vibrant()},
            historyTimestampNow()};
}

} // namespace

TEST(HistoryLogFileTest, AppendingKeepsTheTextOneArrayOfItsEntries)
{
    QByteArray text = "[ ]";
    ASSERT_TRUE(appendToLogText(text, entryFor("/a", 1)));
    ASSERT_TRUE(appendToLogText(text, entryFor("/b", 2)));
    const auto entries = json::decodeLog(text);
    ASSERT_TRUE(entries) << entries.error().toStdString();
    ASSERT_EQ(entries->size(), 2);
    EXPECT_EQ(entries->at(1).folderPath, "/b");

    QByteArray notAnArray = "{}";
    EXPECT_FALSE(appendToLogText(notAnArray, entryFor("/a", 1)));
    EXPECT_EQ(notAnArray, "{}");
}

TEST(HistoryLogFileTest, AKnownLogIsTheFileOnlyWhileItIsUnchangedAndReadable)
{
    QTemporaryDir home;
    const HistoryFiles files(home.path());
    const QString& name = ColorizationHistoryStore::logFileName;
    EXPECT_FALSE(KnownLog::read(files, 0));

    QByteArray text = "[]";
    ASSERT_TRUE(appendToLogText(text, entryFor("/a", 1)));
    ASSERT_TRUE(files.write(name, text + '\n'));
    const auto known = KnownLog::read(files, 0);
    ASSERT_TRUE(known);
    EXPECT_EQ(known->text, text);
    ASSERT_TRUE(known->draft);
    EXPECT_EQ(known->draft->size(), text.size() - 1); // all but the closing bracket
    EXPECT_TRUE(known->isFile(fileIdentity(files.filePath(name))));

    ASSERT_TRUE(files.write(name, QByteArray("[{\"broken\":true}]")));
    const auto unreadable = KnownLog::read(files, 0);
    ASSERT_TRUE(unreadable);
    EXPECT_FALSE(known->isFile(fileIdentity(files.filePath(name))));
    EXPECT_FALSE(unreadable->isFile(fileIdentity(files.filePath(name))));
    EXPECT_FALSE(KnownLog::read(files, 1 << 20)->draft); // short logs are written whole
}
