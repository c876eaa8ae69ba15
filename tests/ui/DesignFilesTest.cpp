#include "ui/main/DesignFiles.h"

#include "support/FileSystem.h"
#include "support/FullDisk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

QUrl folder(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

QImage solid()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    return image;
}

} // namespace

TEST(DesignFilesTest, NamesDropTheExtensionAndStayUniqueWithinABatch)
{
    EXPECT_EQ(DesignFiles::fileName(folder(QStringLiteral("/home/a/Photos"))), QStringLiteral("Photos_icon.png"));
    EXPECT_EQ(DesignFiles::fileName(folder(QStringLiteral("/home/a/v1.2"))), QStringLiteral("v1_icon.png"));
    EXPECT_EQ(DesignFiles::uniqueFileNames({folder(QStringLiteral("/a/v1.2")), folder(QStringLiteral("/a/v1.5")),
                                            folder(QStringLiteral("/b/v1.2")), folder(QStringLiteral("/b/Other"))}),
              (QStringList{QStringLiteral("v1_icon.png"), QStringLiteral("v1 (2)_icon.png"),
                           QStringLiteral("v1 (3)_icon.png"), QStringLiteral("Other_icon.png")}));
}

TEST(DesignFilesTest, OnlyFilesReallyWrittenCount)
{
    QTemporaryDir out;
    QFile existing(out.filePath(QStringLiteral("Kept_icon.png")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    EXPECT_EQ(DesignFiles::existingIn(out.path(), {QStringLiteral("Kept_icon.png"), QStringLiteral("New_icon.png")}),
              QStringList{QStringLiteral("Kept_icon.png")});

    const BatchSaveResult result = DesignFiles::writeAll(
        {{folder(QStringLiteral("/x/Kept")), solid()}, {folder(QStringLiteral("/x/Empty")), QImage()}}, out.path());
    EXPECT_EQ(result.total, 2);
    EXPECT_EQ(result.written, QStringList{out.filePath(QStringLiteral("Kept_icon.png"))});
    EXPECT_EQ(result.failedFolders, QList<QUrl>{folder(QStringLiteral("/x/Empty"))});
    EXPECT_FALSE(result.allSucceeded());
    EXPECT_EQ(QImage(out.filePath(QStringLiteral("Kept_icon.png"))).size(), QSize(32, 32));

    const test::WriteProtection locked(out.path());
    if (!locked.active())
        GTEST_SKIP() << "cannot protect a directory here";
    QString error;
    EXPECT_FALSE(DesignFiles::write(solid(), out.filePath(QStringLiteral("New_icon.png")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("New_icon.png"))));
    const BatchSaveResult refused = DesignFiles::writeAll({{folder(QStringLiteral("/x/New")), solid()}}, out.path());
    EXPECT_TRUE(refused.written.isEmpty());
    EXPECT_EQ(refused.failedFolders.size(), 1);
}

TEST(DesignFilesTest, AFullDiskKeepsTheDesignItWouldReplace)
{
    QTemporaryDir parent;
    const QString out = parent.filePath(QStringLiteral("designs"));
    test::FullDisk disk(out);
    const QString path = out + QStringLiteral("/Kept_icon.png");
    ASSERT_TRUE(DesignFiles::write(solid(), path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray old = file.readAll();
    file.close();
    QImage blue = solid();
    blue.fill(Qt::blue);
    disk.fill(0);
    QString error;
    const bool written = DesignFiles::write(blue, path, &error);
    disk.empty();
    EXPECT_FALSE(written);
    EXPECT_EQ(error, disk.reason());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"Kept_icon.png"});
}
