#include "platform/DirectoryFile.h"

#include "ReadOnlyFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class DirectoryFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder() const { return dir.path(); }
    QString file() const { return DirectoryFile::filePath(folder()); }
};

TEST_F(DirectoryFileTest, SetsIconInDesktopEntryGroupOfNewFile)
{
    ASSERT_TRUE(DirectoryFile::setIcon(folder(), QStringLiteral("/icons/a b.png")));
    EXPECT_EQ(readAll(file()), QByteArray("[Desktop Entry]\nIcon=/icons/a b.png\n"));
    EXPECT_EQ(DirectoryFile::icon(folder()), QStringLiteral("/icons/a b.png"));
}

TEST_F(DirectoryFileTest, MergeKeepsForeignKeysGroupsCommentsAndTranslations)
{
    writeAll(file(), "# written by hand\n[Desktop Entry]\nIcon=old\nIcon[de]=alt\nComment=keep me\n\n"
                     "[Dolphin]\nViewMode=1\nTimestamp=2024,1,2,3,4,5\n");
    ASSERT_TRUE(DirectoryFile::setIcon(folder(), QStringLiteral("/new.png")));
    const QByteArray merged = readAll(file());
    EXPECT_TRUE(merged.contains("# written by hand"));
    EXPECT_TRUE(merged.contains("Icon=/new.png\n"));
    EXPECT_TRUE(merged.contains("Icon[de]=alt"));
    EXPECT_TRUE(merged.contains("Comment=keep me"));
    EXPECT_TRUE(merged.contains("[Dolphin]\nViewMode=1\nTimestamp=2024,1,2,3,4,5"));
    EXPECT_FALSE(merged.contains("Desktop%20Entry"));

    ASSERT_TRUE(DirectoryFile::removeIcon(folder()));
    const QByteArray removed = readAll(file());
    EXPECT_FALSE(removed.contains("Icon=/new.png"));
    EXPECT_TRUE(removed.contains("Comment=keep me"));
    EXPECT_TRUE(removed.contains("[Dolphin]"));
}

TEST_F(DirectoryFileTest, RemovingTheOnlyEntryDeletesTheFile)
{
    ASSERT_TRUE(DirectoryFile::setIcon(folder(), QStringLiteral("/x.png")));
    ASSERT_TRUE(DirectoryFile::removeIcon(folder()));
    EXPECT_FALSE(QFileInfo::exists(file()));
    EXPECT_TRUE(DirectoryFile::removeIcon(folder())) << "nothing left to remove is success";
    EXPECT_TRUE(DirectoryFile::icon(folder()).isEmpty());
}

TEST_F(DirectoryFileTest, RemovalKeepsAFileThatStillHoldsOtherGroups)
{
    writeAll(file(), "[Desktop Entry]\nIcon=/x.png\n[Dolphin]\nSortRole=date\n");
    ASSERT_TRUE(DirectoryFile::removeIcon(folder()));
    EXPECT_EQ(readAll(file()), QByteArray("[Dolphin]\nSortRole=date\n"));
}

TEST_F(DirectoryFileTest, UnparseableFileIsNeverOverwritten)
{
    const QByteArray garbage("this is not a key file\n\x01\x02");
    writeAll(file(), garbage);
    const Result<void> outcome = DirectoryFile::setIcon(folder(), QStringLiteral("/x.png"));
    EXPECT_FALSE(outcome);
    EXPECT_TRUE(outcome.error().contains(QStringLiteral(".directory")));
    EXPECT_FALSE(DirectoryFile::removeIcon(folder()));
    EXPECT_EQ(readAll(file()), garbage);
}

TEST_F(DirectoryFileTest, SymbolicLinkIsNotWrittenThrough)
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("target"));
    writeAll(target, "[Desktop Entry]\nName=other\n");
    ASSERT_TRUE(QFile::link(target, file()));
    EXPECT_FALSE(DirectoryFile::setIcon(folder(), QStringLiteral("/x.png")));
    EXPECT_EQ(readAll(target), QByteArray("[Desktop Entry]\nName=other\n"));
    EXPECT_TRUE(QFileInfo(file()).isSymLink());
}

TEST_F(DirectoryFileTest, ReadOnlyOrMissingFolderFailsWithReason)
{
    const test::ReadOnlyFolder readOnly(folder());
    if (!readOnly.isEffective())
        GTEST_SKIP() << "cannot make a folder read-only here";
    const Result<void> outcome = DirectoryFile::setIcon(folder(), QStringLiteral("/x.png"));
    EXPECT_FALSE(outcome);
    EXPECT_FALSE(outcome.error().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(file()));
    EXPECT_FALSE(DirectoryFile::setIcon(folder() + QStringLiteral("/missing"), QStringLiteral("/x.png")));
}

} // namespace
