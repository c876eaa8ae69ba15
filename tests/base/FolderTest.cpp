#include "base/Folder.h"
#include "support/ScratchTree.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace pigmo;

namespace {

class FolderTest : public ::testing::Test {
protected:
    QString makeFolder(const QString& relative) const { return tree.makeFolder(relative); }
    QString makeFile(const QString& relative) const { return tree.makeFile(relative); }
    QString makeLink(const QString& target, const QString& relative) const { return tree.makeLink(target, relative); }
    test::ScratchTree tree;
};

} // namespace

TEST_F(FolderTest, ArgumentsArePathsOrFileURIsCleanedAndAbsolute)
{
    const QString music = makeFolder(QStringLiteral("My Music"));
    const QString cwd = makeFolder(QStringLiteral("work"));
    EXPECT_EQ(Folder::fromArgument(music + QStringLiteral("/"), cwd)->path(), music);
    EXPECT_EQ(Folder::fromArgument(QStringLiteral("../My Music"), cwd)->path(), music);
    EXPECT_EQ(Folder::fromArgument(QStringLiteral("."), cwd)->path(), cwd);
    EXPECT_EQ(Folder::fromArgument(QUrl::fromLocalFile(music).toString(), cwd)->path(), music);
    EXPECT_EQ(Folder::fromArgument(QStringLiteral("file://") + music + QStringLiteral("/./"), cwd)->path(), music);
    // A name starting with a colon is a folder of the working directory, never one of Qt's resource paths.
    const QString colon = makeFolder(QStringLiteral("work/:colon"));
    EXPECT_EQ(Folder::fromArgument(QStringLiteral(":colon"), cwd)->path(), colon);
    EXPECT_EQ(Folder::fromArgument(QStringLiteral(":\x1c/.."), cwd)->path(), cwd);
    EXPECT_FALSE(Folder::fromPath(QStringLiteral(":/images")));
}

TEST_F(FolderTest, WhatIsNoExistingLocalDirectoryIsRefused)
{
    const QString cwd = makeFolder(QStringLiteral("work"));
    const QString file = makeFile(QStringLiteral("plain.txt"));
    EXPECT_FALSE(Folder::fromArgument(QString(), cwd));
    EXPECT_FALSE(Folder::fromArgument(file, cwd));
    EXPECT_FALSE(Folder::fromArgument(QStringLiteral("missing"), cwd));
    EXPECT_FALSE(Folder::fromArgument(QStringLiteral("sftp://host/home"), cwd));
    EXPECT_FALSE(Folder::fromUrl(QUrl(QStringLiteral("https://example.org/"))));
    EXPECT_FALSE(Folder::fromUrl(QUrl()));
    EXPECT_FALSE(Folder::fromPath(QStringLiteral("relative/path")));
    EXPECT_FALSE(Folder::fromHandOverEntry(QStringLiteral("::not a url::")));
    EXPECT_FALSE(Folder::fromHandOverEntry(QString()));
    EXPECT_FALSE(Folder::fromScan(file));
    const QString music = makeFolder(QStringLiteral("Music"));
    EXPECT_EQ(Folder::fromUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(music),
                                QUrl(QStringLiteral("https://example.org/")), QUrl::fromLocalFile(cwd)}),
              (QList<Folder>{Folder::unchecked(music), Folder::unchecked(cwd)}))
        << "a list keeps its local directories, in order";
}

TEST_F(FolderTest, HandOverEntriesAreFileURLs)
{
    const QString folder = makeFolder(QStringLiteral("Projects 2024"));
    const std::optional<Folder> taken = Folder::fromHandOverEntry(QUrl::fromLocalFile(folder).toString());
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->path(), folder);
    EXPECT_EQ(taken->name(), QStringLiteral("Projects 2024"));
    EXPECT_EQ(taken->url(), QUrl::fromLocalFile(folder));
}

TEST_F(FolderTest, ALinkTheUserNamesIsFollowedToItsFolder)
{
    const QString target = makeFolder(QStringLiteral("real/target"));
    const QString link = makeLink(target, QStringLiteral("shortcut"));
    const QString canonicalTarget = QFileInfo(target).canonicalFilePath();
    EXPECT_EQ(Folder::fromPath(link)->path(), canonicalTarget);
    EXPECT_EQ(Folder::fromArgument(QStringLiteral("shortcut"), tree.path())->path(), canonicalTarget);
    EXPECT_EQ(Folder::fromUrl(QUrl::fromLocalFile(link))->path(), canonicalTarget);
    // A link to a file or to nothing names no folder.
    EXPECT_FALSE(Folder::fromPath(makeLink(makeFile(QStringLiteral("f")), QStringLiteral("to-file"))));
    EXPECT_FALSE(Folder::fromPath(makeLink(tree.path(QStringLiteral("gone")), QStringLiteral("dangling"))));
}

TEST_F(FolderTest, LinksMetInAScanAreSkipped)
{
    const QString target = makeFolder(QStringLiteral("target"));
    const QString link = makeLink(target, QStringLiteral("link"));
    EXPECT_FALSE(Folder::fromScan(link));
    EXPECT_EQ(Folder::fromScan(target)->path(), target);
}

TEST_F(FolderTest, VisibleSubfoldersSkipHiddenFoldersFilesAndLinksInNameOrder)
{
    const Folder box = *Folder::fromPath(makeFolder(QStringLiteral("box")));
    const QString two = makeFolder(QStringLiteral("box/two"));
    const QString one = makeFolder(QStringLiteral("box/one"));
    makeFolder(QStringLiteral("box/.git"));
    makeFolder(QStringLiteral("box/one/nested"));
    makeFile(QStringLiteral("box/readme"));
    makeLink(one, QStringLiteral("box/link-to-one"));
    EXPECT_EQ(pathsOf(box.visibleSubfolders()), (QStringList{one, two}));
    EXPECT_TRUE(Folder::unchecked(tree.path(QStringLiteral("gone"))).visibleSubfolders().isEmpty());
}

TEST_F(FolderTest, UncheckedCleansWithoutLooking)
{
    const Folder folder = Folder::unchecked(QStringLiteral("/nowhere//a/./b/../c/"));
    EXPECT_EQ(folder.path(), QStringLiteral("/nowhere/a/c"));
    EXPECT_EQ(folder.name(), QStringLiteral("c"));
    EXPECT_EQ(Folder::unchecked(QStringLiteral("/")).name(), QStringLiteral("/"));
    EXPECT_EQ(folder, Folder::unchecked(QStringLiteral("/nowhere/a/c")));
}

TEST_F(FolderTest, WithinIsComparedAtASlashBoundary)
{
    const QStringList skipped{QStringLiteral("/tmp"), QStringLiteral("/var")};
    EXPECT_TRUE(isWithinAny(QStringLiteral("/tmp"), skipped));
    EXPECT_TRUE(isWithinAny(QStringLiteral("/tmp/a/b"), skipped));
    EXPECT_TRUE(isWithinAny(QStringLiteral("/var/cache"), skipped));
    EXPECT_FALSE(isWithinAny(QStringLiteral("/tmpdata"), skipped));
    EXPECT_FALSE(isWithinAny(QStringLiteral("/tmpdata/x"), skipped));
    EXPECT_FALSE(isWithinAny(QStringLiteral("/home/u/tmp"), skipped));
    EXPECT_TRUE(isWithinAny(QStringLiteral("/anything"), {QStringLiteral("/")}));
    EXPECT_FALSE(isWithinAny(QStringLiteral("/tmp"), {}));
}
