#include "app/FolderIntake.h"
#include "platform/AppGroupStore.h"
#include "support/ScratchTree.h"

#include <gtest/gtest.h>

#include <QFileInfo>

using namespace pigmo;

namespace {

class FolderIntakeTest : public ::testing::Test {
protected:
    QUrl makeFolder(const QString& relative) const { return QUrl::fromLocalFile(tree.makeFolder(relative)); }
    static QList<QUrl> urls(const QList<Folder>& folders)
    {
        QList<QUrl> result;
        for (const Folder& folder : folders)
            result.append(folder.url());
        return result;
    }
    QUrl makeFile(const QString& relative) const { return QUrl::fromLocalFile(tree.makeFile(relative)); }
    test::ScratchTree tree;
};

} // namespace

TEST_F(FolderIntakeTest, ArrayComesFirstThenTheContainersVisibleSubfolders)
{
    const QUrl a = makeFolder(QStringLiteral("a"));
    const QUrl b = makeFolder(QStringLiteral("b"));
    const QUrl container = makeFolder(QStringLiteral("box"));
    const QUrl one = makeFolder(QStringLiteral("box/one"));
    const QUrl two = makeFolder(QStringLiteral("box/two"));
    makeFolder(QStringLiteral("box/.hidden"));
    makeFile(QStringLiteral("box/file.txt"));
    makeFolder(QStringLiteral("box/one/nested"));

    const HandOver handOver{QStringList{b.toString(), a.toString()}, container.toString()};
    EXPECT_EQ(urls(FolderIntake::folders(handOver)), (QList<QUrl>{b, a, one, two}));
}

TEST_F(FolderIntakeTest, DropsWhatIsNoExistingLocalDirectory)
{
    const QUrl folder = makeFolder(QStringLiteral("kept"));
    const QUrl file = makeFile(QStringLiteral("plain.txt"));
    const QStringList entries{QStringLiteral("http://example.com/folder"),
                              QStringLiteral("file:///nonexistent/pigmo/folder"),
                              file.toString(),
                              QStringLiteral("::not a url::"),
                              QString(),
                              folder.toString()};
    EXPECT_EQ(urls(FolderIntake::folders(HandOver{entries, std::nullopt})), QList<QUrl>{folder});
}

TEST_F(FolderIntakeTest, ContainerWithOnlyFilesAndHiddenFoldersGivesNothing)
{
    const QUrl container = makeFolder(QStringLiteral("box"));
    makeFolder(QStringLiteral("box/.git"));
    makeFile(QStringLiteral("box/readme"));
    EXPECT_TRUE(FolderIntake::folders(HandOver{std::nullopt, container.toString()}).isEmpty());
}

TEST_F(FolderIntakeTest, ALinkedEntryIsFollowedAndLinksInTheContainerAreSkipped)
{
    const QUrl target = makeFolder(QStringLiteral("target"));
    const QUrl container = makeFolder(QStringLiteral("box"));
    const QUrl inside = makeFolder(QStringLiteral("box/inside"));
    const QString entry =
        QUrl::fromLocalFile(tree.makeLink(target.toLocalFile(), QStringLiteral("entry-link"))).toString();
    tree.makeLink(target.toLocalFile(), QStringLiteral("box/link"));
    const QUrl canonicalTarget = QUrl::fromLocalFile(QFileInfo(target.toLocalFile()).canonicalFilePath());
    EXPECT_EQ(urls(FolderIntake::folders(HandOver{QStringList{entry}, container.toString()})),
              (QList<QUrl>{canonicalTarget, inside}));
}
