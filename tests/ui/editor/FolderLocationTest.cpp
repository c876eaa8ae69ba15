#include "ui/editor/FolderLocation.h"

#include "base/Executors.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace pigmo;

namespace {

const QString sep = FolderLocation::separator;

QStringList names(const QStringList& paths)
{
    QStringList result;
    for (const QString& path : paths)
        result.append(QDir(path).dirName());
    return result;
}

struct Tree {
    QTemporaryDir root;
    QString make(const QString& relative)
    {
        const QString path = root.filePath(relative);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
};

} // namespace

TEST(FolderLocationTest, CommonParentIsTheStandardizedParentOfEveryFolder)
{
    EXPECT_EQ(FolderLocation::commonParent({}), std::nullopt);
    EXPECT_EQ(FolderLocation::commonParent({"/home/bob/a", "/home/bob/b/"}), QStringLiteral("/home/bob"));
    EXPECT_EQ(FolderLocation::commonParent({"/home/bob/x/../a", "/home/bob/./b"}), QStringLiteral("/home/bob"));
    EXPECT_EQ(FolderLocation::commonParent({"/home/bob/a", "/srv/b"}), std::nullopt);
    EXPECT_EQ(FolderLocation::commonParent({"/Volumes"}), QStringLiteral("/"));
}

TEST(FolderLocationTest, TheHomeFolderIsShownAsTildeOnlyAtAPathBoundary)
{
    const QString home = QStringLiteral("/home/bob");
    EXPECT_EQ(FolderLocation::text({}, home, "several"), std::nullopt);
    EXPECT_EQ(FolderLocation::text({"/home/bob/a", "/srv/b"}, home, "several"), QStringLiteral("several"));
    EXPECT_EQ(FolderLocation::text({"/home/bob/Music"}, home, "several"), QStringLiteral("~"));
    EXPECT_EQ(FolderLocation::text({"/home/bob/a/b/c"}, home, "several"), QStringLiteral("~") + sep + "a" + sep + "b");
    EXPECT_EQ(FolderLocation::text({"/home/bobby/x/y"}, home, "several"),
              QStringLiteral("home") + sep + "bobby" + sep + "x");
    EXPECT_EQ(FolderLocation::text({"/home/bob/a"}, QStringLiteral("/home/bob/"), "several"), QStringLiteral("~"));
    EXPECT_EQ(FolderLocation::text({"/Volumes/Backup/Photos"}, home, "several"),
              QStringLiteral("Volumes") + sep + "Backup");
    EXPECT_EQ(FolderLocation::text({"/Photos"}, home, "several"), QString()); // the root: an empty text
    EXPECT_EQ(FolderLocation::abbreviatingHome(QStringLiteral("/home/bobby"), home), QStringLiteral("/home/bobby"));
    EXPECT_EQ(FolderLocation::abbreviatingHome(QStringLiteral("/home/bob"), home), QStringLiteral("~"));
    EXPECT_EQ(FolderLocation::abbreviatingHome(QStringLiteral("/x"), QString()), QStringLiteral("/x"));
}

TEST(FolderLocationTest, SiblingsAreVisibleSubfoldersNotEditedSortedByNameCaseInsensitively)
{
    Tree tree;
    const QString edited = tree.make("parent/Edited");
    tree.make("parent/banana");
    tree.make("parent/Apple");
    tree.make("parent/apple2");
    tree.make("parent/cherry");
    tree.make("parent/.hidden");
    QFile plain(tree.root.filePath("parent/file.txt"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ASSERT_TRUE(QFile::link(tree.root.filePath("parent/cherry"), tree.root.filePath("parent/link")));
    const QString parent = tree.root.filePath("parent");
    const QSet<QString> excluded{FolderLocation::standardized(parent + "/x/../Edited")};
    EXPECT_EQ(names(FolderLocation::listSiblings(parent, excluded)),
              (QStringList{"Apple", "apple2", "banana", "cherry"}));
    EXPECT_TRUE(FolderLocation::listSiblings(tree.root.filePath("missing"), {}).isEmpty());
    EXPECT_TRUE(names(FolderLocation::listSiblings(parent, {})).contains("Edited"));
    Q_UNUSED(edited);
}

TEST(FolderLocationTest, SiblingFoldersAreListedOffTheGuiThreadAndFollowTheExclusions)
{
    Tree tree;
    tree.make("p/one");
    tree.make("p/two");
    tree.make("q/three");
    Executors executors;
    SiblingFolders siblings(executors.io());
    QSignalSpy changes(&siblings, &SiblingFolders::changed);
    const QString p = tree.root.filePath("p");
    siblings.update(p, {FolderLocation::standardized(p + "/one")});
    EXPECT_TRUE(siblings.isListing());
    EXPECT_TRUE(siblings.folders().isEmpty()); // nothing is listed on the calling thread
    QTRY_VERIFY(!siblings.isListing());
    EXPECT_EQ(names(siblings.folders()), QStringList{"two"});

    // Adding the sibling to the edited folders takes it out at once.
    siblings.update(p, {FolderLocation::standardized(p + "/one"), FolderLocation::standardized(p + "/two")});
    EXPECT_FALSE(siblings.isListing());
    EXPECT_TRUE(siblings.folders().isEmpty());

    // A new parent is listed again; a result of the parent before it is dropped.
    siblings.update(tree.root.filePath("q"), {});
    siblings.update(p, {});
    QTRY_VERIFY(!siblings.isListing());
    EXPECT_EQ(names(siblings.folders()), (QStringList{"one", "two"}));
    siblings.update(std::nullopt, {});
    EXPECT_TRUE(siblings.folders().isEmpty());
    EXPECT_GE(changes.count(), 4);
}
