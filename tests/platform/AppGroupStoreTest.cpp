#include "platform/AppGroupStore.h"

#include "platform/appgroup/app_group_store.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <sys/stat.h>

using namespace pigmo;

namespace {

// Runs the plain-C helper (another process, like the file-manager module) and gives its standard output.
QByteArray runTool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(APP_GROUP_TOOL), arguments);
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        ADD_FAILURE() << "app_group_tool failed: " << tool.readAllStandardError().toStdString();
    return tool.readAllStandardOutput();
}

QProcess* startTool(const QStringList& arguments, QObject* parent)
{
    auto* tool = new QProcess(parent);
    tool->start(QStringLiteral(APP_GROUP_TOOL), arguments);
    return tool;
}

TEST(AppGroupStoreTest, LivesInTheGroupConfigFolder)
{
    EXPECT_TRUE(AppGroupStore::filePath().endsWith(QStringLiteral("/group.io.velmar.pigmo2/preferences.ini")));
    EXPECT_TRUE(AppGroupStore::filePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
}

TEST(AppGroupStoreTest, TakeGivesBothEntriesOnceAndRemovesThem)
{
    const QStringList urls{QStringLiteral("file:///home/u/My%20Folder"),
                           QStringLiteral("file:///home/u/%C3%A9t%C3%A9;x")};
    ASSERT_TRUE(AppGroupStore::setFolderURLs(urls));
    ASSERT_TRUE(AppGroupStore::setContainerURL(QStringLiteral("file:///home/u")));

    const Result<HandOver> taken = AppGroupStore::take();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->folderURLs, urls);
    EXPECT_EQ(taken->containerURL, QStringLiteral("file:///home/u"));
    EXPECT_FALSE(QFileInfo::exists(AppGroupStore::filePath())) << "a store left without entries is deleted";

    const Result<HandOver> again = AppGroupStore::take();
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isEmpty());
}

TEST(AppGroupStoreTest, WritesReplaceAndAnEmptyListIsPresent)
{
    ASSERT_TRUE(AppGroupStore::setFolderURLs({QStringLiteral("file:///a")}));
    ASSERT_TRUE(AppGroupStore::setFolderURLs({QStringLiteral("file:///b")}));
    EXPECT_EQ(AppGroupStore::take()->folderURLs, QStringList{QStringLiteral("file:///b")});
    ASSERT_TRUE(AppGroupStore::setFolderURLs({}));
    const Result<HandOver> taken = AppGroupStore::take();
    ASSERT_TRUE(taken->folderURLs.has_value());
    EXPECT_TRUE(taken->folderURLs->isEmpty());
    EXPECT_FALSE(taken->containerURL);
}

TEST(AppGroupStoreTest, AWithdrawalRemovesAnEntryOnlyWhileItStillHoldsWhatWasWritten)
{
    const gchar* const mine[] = {"file:///mine-a", "file:///mine-b"};
    const gchar* const theirs[] = {"file:///theirs"};
    ASSERT_TRUE(pigmo_app_group_set_folder_urls(mine, 2, nullptr));
    ASSERT_TRUE(pigmo_app_group_set_container_url("file:///their-box", nullptr));
    EXPECT_TRUE(pigmo_app_group_withdraw_folder_urls(mine, 1, nullptr)); // another list: stays
    EXPECT_TRUE(pigmo_app_group_withdraw_container_url("file:///my-box", nullptr));
    Result<HandOver> taken = AppGroupStore::take();
    EXPECT_EQ(taken->folderURLs, (QStringList{QStringLiteral("file:///mine-a"), QStringLiteral("file:///mine-b")}));
    EXPECT_EQ(taken->containerURL, QStringLiteral("file:///their-box"));

    // Written since by another choice: the other's list stays; the container goes with its own withdrawal.
    ASSERT_TRUE(pigmo_app_group_set_folder_urls(mine, 2, nullptr));
    ASSERT_TRUE(pigmo_app_group_set_folder_urls(theirs, 1, nullptr));
    ASSERT_TRUE(pigmo_app_group_set_container_url("file:///my-box", nullptr));
    EXPECT_TRUE(pigmo_app_group_withdraw_folder_urls(mine, 2, nullptr));
    EXPECT_TRUE(pigmo_app_group_withdraw_container_url("file:///my-box", nullptr));
    taken = AppGroupStore::take();
    EXPECT_EQ(taken->folderURLs, QStringList{QStringLiteral("file:///theirs")});
    EXPECT_FALSE(taken->containerURL);

    ASSERT_TRUE(pigmo_app_group_set_folder_urls(mine, 2, nullptr));
    EXPECT_TRUE(pigmo_app_group_withdraw_folder_urls(mine, 2, nullptr));
    EXPECT_FALSE(QFileInfo::exists(AppGroupStore::filePath())) << "a store left without entries is deleted";
    EXPECT_TRUE(pigmo_app_group_withdraw_folder_urls(mine, 2, nullptr)) << "an entry already gone is no error";
    EXPECT_FALSE(QFileInfo::exists(AppGroupStore::filePath()));
}

TEST(AppGroupStoreTest, UnreadableStoreReadsEmptyAndIsReplacedByTheNextWrite)
{
    QDir().mkpath(QFileInfo(AppGroupStore::filePath()).path());
    QFile file(AppGroupStore::filePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x01\x02 not a key file");
    file.close();
    EXPECT_TRUE(AppGroupStore::take()->isEmpty());
    ASSERT_TRUE(AppGroupStore::setContainerURL(QStringLiteral("file:///c")));
    EXPECT_EQ(AppGroupStore::take()->containerURL, QStringLiteral("file:///c"));
}

TEST(AppGroupStoreTest, AKeyWrittenTwiceIsTakenOnceWithEveryCopy)
{
    QDir().mkpath(QFileInfo(AppGroupStore::filePath()).path());
    QFile file(AppGroupStore::filePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Shared]\nsharedFolderURLsToOpen=file:///a;\nsharedContainerURLToOpen=file:///c\n"
               "other=kept\nsharedFolderURLsToOpen=file:///b;\n[Shared]\nsharedContainerURLToOpen=file:///d\n"
               "[Elsewhere]\nsharedFolderURLsToOpen=file:///e;\n");
    file.close();
    const Result<HandOver> taken = AppGroupStore::take();
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->folderURLs && taken->folderURLs->size() == 1);
    EXPECT_TRUE(taken->containerURL);
    const Result<HandOver> again = AppGroupStore::take();
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isEmpty()) << "no copy is left to be handed over again";
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray rest = file.readAll();
    EXPECT_TRUE(rest.contains("other=kept")) << rest.toStdString();
    EXPECT_TRUE(rest.contains("[Elsewhere]\nsharedFolderURLsToOpen=file:///e;")) << "other groups are not ours";
    EXPECT_FALSE(rest.contains("[Shared]\nsharedFolderURLsToOpen")) << rest.toStdString();
    file.close();
    QFile::remove(AppGroupStore::filePath());
}

TEST(AppGroupStoreTest, AFifoOrFolderAtTheStorePathReadsEmptyWithoutBlocking)
{
    const QString path = AppGroupStore::filePath();
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    const Result<HandOver> fromFifo = AppGroupStore::take();
    ASSERT_TRUE(fromFifo);
    EXPECT_TRUE(fromFifo->isEmpty());
    EXPECT_LT(clock.elapsed(), 2000);
    ASSERT_TRUE(AppGroupStore::setContainerURL(QStringLiteral("file:///c"))) << "a write replaces the FIFO";
    EXPECT_EQ(AppGroupStore::take()->containerURL, QStringLiteral("file:///c"));

    ASSERT_TRUE(QDir().mkpath(path));
    const Result<HandOver> fromFolder = AppGroupStore::take();
    ASSERT_TRUE(fromFolder);
    EXPECT_TRUE(fromFolder->isEmpty());
    ASSERT_TRUE(QDir().rmdir(path));

    const QString lock = path + QStringLiteral(".lock");
    QFile::remove(lock);
    ASSERT_EQ(::mkfifo(QFile::encodeName(lock).constData(), 0600), 0);
    test::LogCapture logs;
    EXPECT_FALSE(AppGroupStore::take()) << "a FIFO in place of the lock fails at once";
    EXPECT_LT(clock.elapsed(), 4000);
    QFile::remove(lock);
}

TEST(AppGroupStoreTest, UnwritableStoreFailsWithLogAndKeepsNothingHalfWritten)
{
    test::LogCapture logs;
    const QString dir = QFileInfo(AppGroupStore::filePath()).path();
    QDir().mkpath(QFileInfo(dir).path());
    QFile blocker(dir);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the folder should be";
    blocker.close();
    EXPECT_FALSE(AppGroupStore::setFolderURLs({QStringLiteral("file:///a")}));
    EXPECT_FALSE(AppGroupStore::take());
    EXPECT_EQ(logs.count(QStringLiteral("App group: cannot")), 2);
}

TEST(AppGroupStoreTest, WrittenByOneProcessReadByAnother)
{
    runTool({QStringLiteral("folders"), QStringLiteral("file:///x"), QStringLiteral("1")});
    runTool({QStringLiteral("container"), QStringLiteral("file:///c"), QStringLiteral("1")});
    const Result<HandOver> taken = AppGroupStore::take();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->folderURLs, (QStringList{QStringLiteral("file:///x0-a"), QStringLiteral("file:///x0-b")}));
    EXPECT_EQ(taken->containerURL, QStringLiteral("file:///c0"));

    ASSERT_TRUE(AppGroupStore::setContainerURL(QStringLiteral("file:///from-program")));
    EXPECT_EQ(runTool({QStringLiteral("take"), QStringLiteral("1")}), QByteArray("C file:///from-program\n"));
}

TEST(AppGroupStoreTest, ConcurrentWritersOfBothKeysLoseNeitherLastValue)
{
    QObject owner;
    constexpr int rounds = 150;
    QProcess* folders =
        startTool({QStringLiteral("folders"), QStringLiteral("file:///f"), QString::number(rounds)}, &owner);
    QProcess* container =
        startTool({QStringLiteral("container"), QStringLiteral("file:///c"), QString::number(rounds)}, &owner);
    ASSERT_TRUE(folders->waitForFinished(60000) && container->waitForFinished(60000));
    ASSERT_EQ(folders->exitCode() + container->exitCode(), 0);

    const Result<HandOver> taken = AppGroupStore::take();
    ASSERT_TRUE(taken);
    const QString last = QString::number(rounds - 1);
    EXPECT_EQ(taken->folderURLs, (QStringList{QStringLiteral("file:///f") + last + QStringLiteral("-a"),
                                              QStringLiteral("file:///f") + last + QStringLiteral("-b")}));
    EXPECT_EQ(taken->containerURL, QStringLiteral("file:///c") + last);
}

TEST(AppGroupStoreTest, ConcurrentReaderTakesEachListWholeAndAtMostOnce)
{
    QObject owner;
    constexpr int rounds = 200;
    QProcess* writer =
        startTool({QStringLiteral("folders"), QStringLiteral("file:///w"), QString::number(rounds)}, &owner);
    QProcess* reader = startTool({QStringLiteral("take"), QString::number(rounds)}, &owner);
    ASSERT_TRUE(writer->waitForFinished(60000) && reader->waitForFinished(60000));
    ASSERT_EQ(writer->exitCode() + reader->exitCode(), 0);

    QStringList lines = QString::fromUtf8(reader->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    if (const Result<HandOver> rest = AppGroupStore::take(); rest && rest->folderURLs)
        lines.append(QStringLiteral("F ") + rest->folderURLs->join(u','));
    ASSERT_FALSE(lines.isEmpty());

    const QRegularExpression whole(QStringLiteral("^F file:///w(\\d+)-a,file:///w\\1-b$"));
    int previous = -1;
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = whole.match(line);
        ASSERT_TRUE(match.hasMatch()) << "torn or foreign entry: " << line.toStdString();
        const int index = match.captured(1).toInt();
        EXPECT_GT(index, previous) << "a list was taken twice or out of order";
        previous = index;
    }
    EXPECT_EQ(previous, rounds - 1) << "the last list written was lost";
}

} // namespace
