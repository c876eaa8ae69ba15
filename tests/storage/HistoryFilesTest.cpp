#include "storage/HistoryFiles.h"

#include "model/StyleJson.h"
#include "support/FileSystem.h"
#include "support/FullDisk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

using namespace pigmo;

namespace {

// Open descriptors of this process.
qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot).size();
}

class HistoryFilesTest : public ::testing::Test {
protected:
    QByteArray contents(const QString& name) const
    {
        QFile file(files.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void put(const QString& name, qsizetype size) const { EXPECT_TRUE(files.write(name, QByteArray(size, 'o'))); }
    static void waitForReleases() { QThreadPool::globalInstance()->waitForDone(); }

    QTemporaryDir home;
    HistoryFiles files{home.path()};
};

TEST_F(HistoryFilesTest, AWriteReplacesTheFileWholeAndLetsTheOldOneGo)
{
    put("log.json", 3 << 20);
    waitForReleases();
    const qsizetype before = openDescriptors();

    const QByteArray pieces[] = {"[1,", "2]"};
    const QByteArrayView views[] = {pieces[0], pieces[1]};
    ASSERT_TRUE(files.write("log.json", views));
    EXPECT_EQ(contents("log.json"), "[1,2]");
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"log.json"});
    waitForReleases();
    EXPECT_EQ(openDescriptors(), before); // the replaced file is closed, its space freed

    ASSERT_TRUE(files.write("new.json", QByteArray("{}"))); // nothing to replace
    waitForReleases();
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(HistoryFilesTest, ADraftIsCompletedWithTheRestOrLeavesNothingWhenDropped)
{
    put("styles.json", 100);
    const QByteArray text = "{\"a\":1,\"b\":2}";
    const QByteArrayView start = QByteArrayView(text).first(7);
    {
        auto dropped = files.draft("styles.json", std::span(&start, 1));
        ASSERT_TRUE(dropped);
    }
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"styles.json"});

    auto draft = files.draft("styles.json", std::span(&start, 1));
    ASSERT_TRUE(draft);
    EXPECT_EQ(draft->size(), 7);
    EXPECT_EQ(contents("styles.json"), QByteArray(100, 'o')); // nothing replaced yet
    const QByteArrayView whole(text);
    ASSERT_TRUE(files.write("styles.json", std::span(&whole, 1), std::move(draft)));
    EXPECT_EQ(contents("styles.json"), text);
}

TEST_F(HistoryFilesTest, AReadLeavesTheRoomAskedForBehindTheText)
{
    put("log.json", 1 << 20);
    for (const qsizetype room : {qsizetype(0), qsizetype(64 << 10)}) {
        auto read = files.read("log.json", room);
        ASSERT_TRUE(read);
        QByteArray bytes = std::move(read).value();
        EXPECT_EQ(bytes, QByteArray(1 << 20, 'o'));
        EXPECT_TRUE(json::hasParsePadding(bytes)) << "the parser reads it in place";
        EXPECT_GE(bytes.capacity() - bytes.size(), room) << "the room is there to append without a copy";
    }
    EXPECT_FALSE(files.read("missing.json"));
}

TEST_F(HistoryFilesTest, ARefusedWriteKeepsTheFileAndNoDescriptor)
{
    put("log.json", 1 << 20);
    const QByteArrayView start("[1");
    auto draft = files.draft("log.json", std::span(&start, 1));
    ASSERT_TRUE(draft);
    waitForReleases();
    const qsizetype before = openDescriptors();
    {
        const test::WriteProtection refused(home.path());
        if (!refused.active())
            GTEST_SKIP() << "cannot write-protect a directory on this machine";
        const QByteArrayView whole("[1,2]");
        const Done written = files.write("log.json", std::span(&whole, 1), std::move(draft));
        ASSERT_FALSE(written);
        EXPECT_FALSE(written.error().isEmpty());
    }
    EXPECT_EQ(contents("log.json"), QByteArray(1 << 20, 'o'));
    waitForReleases();
    EXPECT_EQ(openDescriptors(), before - 1); // the draft's temporary file is gone too
}

// A write cut short for want of room (the text fits the file's buffer, so that only its final write
// fails) replaces nothing and leaves no other file; once there is room, the same write takes.
TEST_F(HistoryFilesTest, AWriteThatRunsOutOfRoomKeepsTheOldFileWhole)
{
    QTemporaryDir parent;
    HistoryFiles full(parent.filePath("history"));
    test::FullDisk disk(full.directory());
    const QByteArray old(3000, 'o');
    ASSERT_TRUE(full.write("log.json", old));
    const QByteArray text(12000, 'n');
    disk.fill(4096);
    const Done written = full.write("log.json", text);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), disk.reason());
    disk.empty();
    QFile file(full.filePath("log.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old) << "byte for byte";
    EXPECT_EQ(QDir(full.directory()).entryList(QDir::Files | QDir::Hidden), QStringList{"log.json"});
    EXPECT_TRUE(full.write("log.json", text));
    EXPECT_EQ(*full.read("log.json"), text);
}

} // namespace
