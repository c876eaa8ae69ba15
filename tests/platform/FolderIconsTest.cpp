// Runs against the real gvfsd-metadata of the session bus that the test command starts.
#include "platform/FolderIcons.h"

#include "platform/DirectoryFile.h"
#include "platform/FolderIconStore.h"
#include "platform/GvfsMetadata.h"
#include "platform/IconTheme.h"
#include "platform/PngEncoder.h"
#include "support/LogCapture.h"

#include "ReadOnlyFolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace pigmo;

namespace {

QImage solidImage(QColor color, int size = 64)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QStringList storedFiles()
{
    return QDir(FolderIconStore::directory()).entryList(QDir::Files);
}

QString customIconFile(const QString& folder)
{
    return QUrl(GvfsMetadata::customIcon(folder)).toLocalFile();
}

class FolderIconsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Projects ä"));
    test::LogCapture logs;

    void SetUp() override { ASSERT_TRUE(QDir().mkdir(folder)); }
};

TEST_F(FolderIconsTest, SetPointsBothMechanismsAtAStoredPng)
{
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::red), folder));

    const QString uri = GvfsMetadata::customIcon(folder);
    ASSERT_TRUE(uri.startsWith(QStringLiteral("file:///"))) << uri.toStdString();
    const QString png = QUrl(uri).toLocalFile();
    EXPECT_TRUE(QFileInfo(png).isFile());
    EXPECT_EQ(QFileInfo(png).absolutePath(), FolderIconStore::directory());
    EXPECT_EQ(QImage(png).pixelColor(3, 3), QColor(Qt::red));
    EXPECT_EQ(DirectoryFile::icon(folder), png);
    EXPECT_TRUE(logs.lines().isEmpty()) << logs.lines().join(u'\n').toStdString();
}

TEST_F(FolderIconsTest, ChangingTheIconUsesANewFileAndDeletesTheOld)
{
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::red), folder));
    const QString first = customIconFile(folder);
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::blue), folder));
    const QString second = customIconFile(folder);

    EXPECT_NE(first, second);
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo::exists(second));
    EXPECT_EQ(DirectoryFile::icon(folder), second);
    EXPECT_EQ(storedFiles(), QStringList{QFileInfo(second).fileName()});

    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::blue), folder));
    EXPECT_EQ(customIconFile(folder), second) << "the same image keeps its file";
    EXPECT_TRUE(QFileInfo::exists(second));
}

TEST_F(FolderIconsTest, EachFolderKeepsItsOwnFile)
{
    const QString other = dir.filePath(QStringLiteral("Other"));
    ASSERT_TRUE(QDir().mkdir(other));
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::red), folder));
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::red), other));
    EXPECT_NE(customIconFile(folder), customIconFile(other));
    ASSERT_TRUE(FolderIcons::removeIcon(other));
    EXPECT_TRUE(QFileInfo::exists(customIconFile(folder)));
}

TEST_F(FolderIconsTest, DiscardingUnusedIconsKeepsOnlyTheFilesTheMechanismsName)
{
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::red), folder));
    const QString used = customIconFile(folder);
    // PNGs stored ahead of changes that were then not made: one for a styled folder, one for a folder that
    // went away.
    ASSERT_TRUE(FolderIconStore::store(folder, encodePng(solidImage(Qt::blue))));
    const QString gone = dir.filePath(QStringLiteral("Gone"));
    ASSERT_TRUE(FolderIconStore::store(gone, encodePng(solidImage(Qt::green))));
    ASSERT_EQ(storedFiles().size(), 3);

    FolderIcons::discardUnusedIcons(folder);
    FolderIcons::discardUnusedIcons(gone);
    EXPECT_EQ(storedFiles(), QStringList{QFileInfo(used).fileName()});
    EXPECT_EQ(customIconFile(folder), used);
    EXPECT_EQ(DirectoryFile::icon(folder), used);
}

TEST_F(FolderIconsTest, RemoveUndoesEverything)
{
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::red), folder));
    ASSERT_TRUE(FolderIcons::setIcon(QImage(), folder)) << "a null image removes";

    EXPECT_TRUE(GvfsMetadata::customIcon(folder).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(DirectoryFile::filePath(folder)));
    EXPECT_TRUE(storedFiles().isEmpty());
    EXPECT_TRUE(FolderIcons::removeIcon(folder)) << "removing twice is harmless";
}

TEST_F(FolderIconsTest, RemoveKeepsForeignDirectoryEntries)
{
    QFile file(DirectoryFile::filePath(folder));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Dolphin]\nViewMode=2\n");
    file.close();
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::green), folder));
    ASSERT_TRUE(FolderIcons::removeIcon(folder));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().trimmed(), QByteArray("[Dolphin]\nViewMode=2"));
}

TEST_F(FolderIconsTest, MissingFolderFileAndSymbolicLinkAreRefusedUntouched)
{
    const QString missing = dir.filePath(QStringLiteral("missing"));
    EXPECT_FALSE(FolderIcons::setIcon(solidImage(Qt::red), missing));
    EXPECT_FALSE(FolderIcons::removeIcon(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));

    const QString plainFile = dir.filePath(QStringLiteral("file.txt"));
    QFile(plainFile).open(QIODevice::WriteOnly);
    EXPECT_FALSE(FolderIcons::setIcon(solidImage(Qt::red), plainFile));

    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(folder, link));
    EXPECT_FALSE(FolderIcons::setIcon(solidImage(Qt::red), link));
    EXPECT_TRUE(GvfsMetadata::customIcon(link).isEmpty());
    EXPECT_TRUE(GvfsMetadata::customIcon(folder).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(DirectoryFile::filePath(folder)));
    EXPECT_TRUE(storedFiles().isEmpty());
    EXPECT_TRUE(logs.contains(QStringLiteral("it is a symbolic link")));
    EXPECT_TRUE(logs.contains(QStringLiteral("it is not a folder")));
    EXPECT_EQ(logs.lines(log::Channel::systemLog).size(), logs.lines().size()) << "failures go to the system log";
}

TEST_F(FolderIconsTest, AFolderThatRefusesOnePlaceKeepsItsPreviousIconInBoth)
{
    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::red), folder));
    const QString before = customIconFile(folder);
    {
        const test::ReadOnlyFolder readOnly(folder);
        if (!readOnly.isEffective())
            GTEST_SKIP() << "cannot make a folder read-only here";
        const Result<void> refused = FolderIcons::setIcon(solidImage(Qt::blue), folder);
        ASSERT_FALSE(refused);
        EXPECT_TRUE(refused.error().startsWith("cannot write " + DirectoryFile::filePath(folder) + ": "))
            << refused.error().toStdString();
        EXPECT_TRUE(logs.contains(QStringLiteral(".directory failed for ")));
        EXPECT_EQ(customIconFile(folder), before) << "the gvfs key that took is put back";
        EXPECT_EQ(DirectoryFile::icon(folder), before);
        EXPECT_EQ(storedFiles(), QStringList{QFileInfo(before).fileName()}) << "the new file is gone";
    }
    ASSERT_TRUE(FolderIcons::removeIcon(folder));
    EXPECT_TRUE(storedFiles().isEmpty());
}

// A .directory that is no regular file is never written through, and the set takes nothing.
TEST_F(FolderIconsTest, ARefusedDirectoryFileLeavesNoIconInTheOtherPlace)
{
    const QString entry = DirectoryFile::filePath(folder);
    const QString target = dir.filePath(QStringLiteral("elsewhere"));
    const std::vector<std::function<bool()>> refusals{
        [&] { return QFile::link(target, entry); },
        [&] { return QDir().mkdir(entry); },
        [&] { return ::mkfifo(QFile::encodeName(entry).constData(), 0644) == 0; },
    };
    for (const auto& refuse : refusals) {
        ASSERT_TRUE(refuse());
        const Result<void> refused = FolderIcons::setIcon(solidImage(Qt::blue), folder);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error(), entry + QStringLiteral(" is not a regular file"));
        EXPECT_TRUE(GvfsMetadata::customIcon(folder).isEmpty()) << "the gvfs key is taken back";
        EXPECT_TRUE(storedFiles().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(target));
        ASSERT_TRUE(QFile::remove(entry) || QDir().rmdir(entry));
    }
}

TEST_F(FolderIconsTest, IconFollowsGvfsThenDirectoryThenTheme)
{
    const QImage plain = FolderIcons::icon(folder);
    ASSERT_FALSE(plain.isNull()) << "theme folder or bundled artwork";
    const QString themed = IconTheme::iconPath(QStringLiteral("folder"));
    if (!themed.isEmpty()) {
        EXPECT_EQ(plain, QImage(themed).convertToFormat(plain.format()));
    }

    const QString own = dir.filePath(QStringLiteral("own.png"));
    ASSERT_TRUE(solidImage(Qt::yellow, 16).save(own));
    ASSERT_TRUE(DirectoryFile::setIcon(folder, own));
    EXPECT_EQ(FolderIcons::icon(folder).pixelColor(1, 1), QColor(Qt::yellow));

    ASSERT_TRUE(solidImage(Qt::cyan, 16).save(folder + QStringLiteral("/inside.png")));
    ASSERT_TRUE(DirectoryFile::setIcon(folder, QStringLiteral("./inside.png")));
    EXPECT_EQ(FolderIcons::icon(folder).pixelColor(1, 1), QColor(Qt::cyan)) << "./name is inside the folder";

    ASSERT_TRUE(GvfsMetadata::setCustomIcon(folder, QUrl::fromLocalFile(own).toString()));
    ASSERT_TRUE(DirectoryFile::setIcon(folder, QStringLiteral("/nonexistent.png")));
    EXPECT_EQ(FolderIcons::icon(folder).pixelColor(1, 1), QColor(Qt::yellow)) << "gvfs first";

    ASSERT_TRUE(FolderIcons::setIcon(solidImage(Qt::magenta), folder));
    EXPECT_EQ(FolderIcons::icon(folder).pixelColor(1, 1), QColor(Qt::magenta));
}

TEST_F(FolderIconsTest, ConcurrentCallersOnSeveralFoldersAllSucceed)
{
    constexpr int folders = 6;
    std::vector<QString> paths;
    for (int i = 0; i < folders; ++i) {
        paths.push_back(dir.filePath(QStringLiteral("f%1").arg(i)));
        ASSERT_TRUE(QDir().mkdir(paths.back()));
    }
    std::vector<std::thread> threads;
    std::atomic<int> failures = 0;
    for (int i = 0; i < folders; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < 5; ++round) {
                if (!FolderIcons::setIcon(solidImage(QColor::fromHsv(round * 60, 255, 255)), paths[size_t(i)]))
                    ++failures;
                (void)FolderIcons::icon(paths[size_t(i)]);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(storedFiles().size(), folders) << "one file per folder is left";
}

} // namespace
