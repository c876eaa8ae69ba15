#include "app/FolderIntake.h"
#include "platform/AppGroupStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

class FolderIntakeTest : public ::testing::Test {
protected:
    QUrl makeFolder(const QString& relative)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(relative));
        return QUrl::fromLocalFile(root.filePath(relative));
    }
    QUrl makeFile(const QString& relative)
    {
        QFile file(root.filePath(relative));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return QUrl::fromLocalFile(file.fileName());
    }
    QTemporaryDir root;
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
    EXPECT_EQ(FolderIntake::folders(handOver), (QList<QUrl>{b, a, one, two}));
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
    EXPECT_EQ(FolderIntake::folders(HandOver{entries, std::nullopt}), QList<QUrl>{folder});
}

TEST_F(FolderIntakeTest, ContainerWithOnlyFilesAndHiddenFoldersGivesNothing)
{
    const QUrl container = makeFolder(QStringLiteral("box"));
    makeFolder(QStringLiteral("box/.git"));
    makeFile(QStringLiteral("box/readme"));
    EXPECT_TRUE(FolderIntake::visibleSubfolders(container).isEmpty());
    EXPECT_TRUE(FolderIntake::visibleSubfolders(QUrl::fromLocalFile(root.filePath(QStringLiteral("gone")))).isEmpty());
    EXPECT_TRUE(FolderIntake::folders(HandOver{std::nullopt, container.toString()}).isEmpty());
}

TEST_F(FolderIntakeTest, ArgumentsArePathsOrFileURIs)
{
    const QString cwd = root.path();
    EXPECT_EQ(FolderIntake::argumentURL(QStringLiteral("/srv/data/"), cwd),
              QUrl::fromLocalFile(QStringLiteral("/srv/data")));
    EXPECT_EQ(FolderIntake::argumentURL(QStringLiteral("Music"), cwd),
              QUrl::fromLocalFile(cwd + QStringLiteral("/Music")));
    EXPECT_EQ(FolderIntake::argumentURL(QStringLiteral("../x"), cwd),
              QUrl::fromLocalFile(QDir::cleanPath(cwd + QStringLiteral("/../x"))));
    EXPECT_EQ(FolderIntake::argumentURL(QStringLiteral("file:///home/me/My%20Files"), cwd),
              QUrl::fromLocalFile(QStringLiteral("/home/me/My Files")));
    EXPECT_EQ(FolderIntake::argumentURL(QStringLiteral("smb://server/share"), cwd), std::nullopt);
    EXPECT_EQ(FolderIntake::argumentURL(QString(), cwd), std::nullopt);
}
