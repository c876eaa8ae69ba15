#include "base/WholeFile.h"

#include "support/FullDisk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace pigmo;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

Result<void> save(const QString& path, const QByteArray& text)
{
    WholeFile file(path);
    Result<void> saved = file.open();
    if (saved)
        saved = file.write(text);
    return saved ? file.commit() : saved;
}

QStringList entries(const QString& directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

TEST(WholeFileTest, ReplacesTheFileKeepingItsPermissionsAndLeavesNothingWhenNotCommitted)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("settings.ini"));
    ASSERT_TRUE(save(path, "old"));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    {
        WholeFile dropped(path);
        ASSERT_TRUE(dropped.open());
        ASSERT_TRUE(dropped.write("never"));
        ASSERT_TRUE(dropped.sync());
    }
    EXPECT_EQ(contents(path), "old");
    EXPECT_EQ(entries(directory.path()), QStringList{"settings.ini"});

    WholeFile file(path);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write("new "));
    ASSERT_TRUE(file.sync());
    ASSERT_TRUE(file.write(QByteArray(100'000, 't'))); // more than it gathers
    EXPECT_EQ(file.size(), 100'004);
    EXPECT_EQ(contents(path), "old") << "nothing replaced before the commit";
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(contents(path), "new " + QByteArray(100'000, 't'));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(entries(directory.path()), QStringList{"settings.ini"});
}

// Nothing written, or a short write: the old file stays byte for byte, nothing else is left, and the reason
// is the disk's.
TEST(WholeFileTest, AWriteThatRunsOutOfRoomNeverReplacesTheOldFile)
{
    QTemporaryDir parent;
    const QString directory = parent.filePath(QStringLiteral("full"));
    test::FullDisk disk(directory);
    const QString path = directory + QStringLiteral("/settings.ini");
    const QByteArray old(300, 'o');
    ASSERT_TRUE(save(path, old));
    const QByteArray text(12000, 'n');
    for (const qint64 room : {qint64(0), qint64(4096)}) {
        disk.fill(room);
        const Result<void> saved = save(path, text);
        disk.empty();
        ASSERT_FALSE(saved) << room;
        EXPECT_EQ(saved.error(), disk.reason());
        EXPECT_EQ(contents(path), old);
        EXPECT_EQ(entries(directory), QStringList{"settings.ini"});
    }
    ASSERT_TRUE(save(path, text));
    EXPECT_EQ(contents(path), text);
}
