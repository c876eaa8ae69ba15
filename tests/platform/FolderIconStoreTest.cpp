#include "platform/FolderIconStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <thread>
#include <vector>

using namespace pigmo;

namespace {

TEST(FolderIconStoreTest, NamesShareAFolderPrefixAndDifferByContent)
{
    const QString a = FolderIconStore::fileName(QStringLiteral("/home/u/A"), "one");
    EXPECT_EQ(a, FolderIconStore::fileName(QStringLiteral("/home/u/A/"), "one")) << "paths are compared clean";
    const QString b = FolderIconStore::fileName(QStringLiteral("/home/u/A"), "two");
    const QString c = FolderIconStore::fileName(QStringLiteral("/home/u/B"), "one");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.section(u'-', 0, 0), b.section(u'-', 0, 0));
    EXPECT_NE(a.section(u'-', 0, 0), c.section(u'-', 0, 0));
    EXPECT_TRUE(a.endsWith(QStringLiteral(".png")));
}

TEST(FolderIconStoreTest, StoreWritesAndRemoveKeepsOnlyWhatIsNamed)
{
    const Result<QString> first = FolderIconStore::store(QStringLiteral("/f"), "first");
    const Result<QString> second = FolderIconStore::store(QStringLiteral("/f"), "second");
    const Result<QString> other = FolderIconStore::store(QStringLiteral("/g"), "first");
    ASSERT_TRUE(first && second && other);
    QFile file(*first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("first"));

    FolderIconStore::removeFilesExcept(QStringLiteral("/f"), {*second});
    EXPECT_FALSE(QFileInfo::exists(*first));
    EXPECT_TRUE(QFileInfo::exists(*second));
    EXPECT_TRUE(QFileInfo::exists(*other)) << "another folder's file is never touched";
    FolderIconStore::removeFilesExcept(QStringLiteral("/f"), {});
    EXPECT_FALSE(QFileInfo::exists(*second));
}

TEST(FolderIconStoreTest, FilesWrittenByAnotherProgramAreSeenOnTheNextRemoval)
{
    const Result<QString> kept = FolderIconStore::store(QStringLiteral("/f"), "kept");
    ASSERT_TRUE(kept);
    FolderIconStore::removeFilesExcept(QStringLiteral("/f"), {*kept}); // the store has been listed now

    // Another Pigmo 2 (or an older run) adds files of the same folder behind this one's back.
    const QString foreign = FolderIconStore::directory() + u'/' + FolderIconStore::fileName(QStringLiteral("/f"), "x");
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const Result<QString> own = FolderIconStore::store(QStringLiteral("/f"), "own");
    ASSERT_TRUE(own);

    FolderIconStore::removeFilesExcept(QStringLiteral("/f"), {*kept});
    EXPECT_FALSE(QFileInfo::exists(foreign));
    EXPECT_FALSE(QFileInfo::exists(*own));
    EXPECT_TRUE(QFileInfo::exists(*kept));
}

TEST(FolderIconStoreTest, ManyFoldersEachKeepOnlyTheirNewestFile)
{
    QStringList newest;
    for (int round = 0; round < 3; ++round) {
        newest.clear();
        for (int n = 0; n < 50; ++n) {
            const QString folder = QStringLiteral("/many/%1").arg(n);
            const Result<QString> stored = FolderIconStore::store(folder, QByteArray::number(round * 100 + n));
            ASSERT_TRUE(stored);
            FolderIconStore::removeFilesExcept(folder, {*stored});
            newest.append(QFileInfo(*stored).fileName());
        }
    }
    QStringList present = QDir(FolderIconStore::directory()).entryList(QDir::Files);
    present.sort();
    newest.sort();
    EXPECT_EQ(present, newest);
}

TEST(FolderIconStoreTest, FilesRemovedOrADirectoryMadeAgainBehindTheStoresBackAreFollowed)
{
    const Result<QString> first = FolderIconStore::store(QStringLiteral("/h"), "first");
    ASSERT_TRUE(first);
    FolderIconStore::removeFilesExcept(QStringLiteral("/h"), {*first}); // listed now
    ASSERT_TRUE(QFile::remove(*first)) << "someone removes a listed file";
    FolderIconStore::removeFilesExcept(QStringLiteral("/h"), {});
    const Result<QString> second = FolderIconStore::store(QStringLiteral("/h"), "second");
    ASSERT_TRUE(second);

    // The whole directory goes and comes back with a file of the folder in it.
    ASSERT_TRUE(QDir(FolderIconStore::directory()).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(FolderIconStore::directory()));
    const QString foreign = FolderIconStore::directory() + u'/' + FolderIconStore::fileName(QStringLiteral("/h"), "x");
    QFile file(foreign);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    FolderIconStore::removeFilesExcept(QStringLiteral("/h"), {});
    EXPECT_FALSE(QFileInfo::exists(foreign));
    EXPECT_TRUE(QDir(FolderIconStore::directory()).isEmpty());
}

TEST(FolderIconStoreTest, FoldersChangedOnSeveralThreadsAtOnceEachKeepOnlyTheirNewestFile)
{
    constexpr int threads = 8;
    constexpr int foldersPerThread = 25;
    std::vector<QStringList> newest(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &newest] {
            for (int round = 0; round < 3; ++round) {
                newest[size_t(t)].clear();
                for (int n = 0; n < foldersPerThread; ++n) {
                    const QString folder = QStringLiteral("/threads/%1/%2").arg(t).arg(n);
                    const Result<QString> stored = FolderIconStore::store(folder, QByteArray::number(round));
                    if (!stored)
                        continue;
                    FolderIconStore::removeFilesExcept(folder, {*stored});
                    newest[size_t(t)].append(QFileInfo(*stored).fileName());
                }
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    QStringList expected;
    for (const QStringList& names : newest)
        expected += names;
    QStringList present = QDir(FolderIconStore::directory()).entryList(QDir::Files);
    present.sort();
    expected.sort();
    EXPECT_EQ(expected.size(), threads * foldersPerThread);
    EXPECT_EQ(present, expected);
}

TEST(FolderIconStoreTest, UnwritableStoreFails)
{
    const QString parent = FolderIconStore::directory().section(u'/', 0, -2);
    QDir().mkpath(parent);
    QFile blocker(FolderIconStore::directory());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the directory should be";
    blocker.close();
    const Result<QString> stored = FolderIconStore::store(QStringLiteral("/f"), "x");
    EXPECT_FALSE(stored);
    EXPECT_FALSE(stored.error().isEmpty());
}

} // namespace
