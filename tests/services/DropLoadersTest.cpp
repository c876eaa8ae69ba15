#include "services/DropLoaders.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

QByteArray pngBytes(QColor color)
{
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class DropLoadersTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QTemporaryDir dir;
};

TEST_F(DropLoadersTest, ImageComesFromTheFileElseFromTheData)
{
    QMimeData fileDrop;
    fileDrop.setUrls({QUrl::fromLocalFile(write("red.png", pngBytes(Qt::red)))});
    fileDrop.setData("image/png", pngBytes(Qt::blue));
    Result<QImage> fromFile = drop::loadImage(fileDrop);
    ASSERT_TRUE(fromFile) << fromFile.error().toStdString();
    EXPECT_EQ(fromFile->pixelColor(0, 0), QColor(Qt::red));

    // A dropped file that is no image still yields the image data the item carries.
    QMimeData textFileWithData;
    textFileWithData.setUrls({QUrl::fromLocalFile(write("notes.txt", "hello"))});
    textFileWithData.setData("image/png", pngBytes(Qt::blue));
    EXPECT_EQ(drop::loadImage(textFileWithData)->pixelColor(0, 0), QColor(Qt::blue));

    QMimeData pasted;
    pasted.setImageData(QImage(2, 2, QImage::Format_RGB32));
    EXPECT_TRUE(drop::loadImage(pasted));
}

TEST_F(DropLoadersTest, ImageFailuresCarryTheirTexts)
{
    QMimeData textFile;
    textFile.setUrls({QUrl::fromLocalFile(write("notes.txt", "hello"))});
    EXPECT_EQ(drop::loadImage(textFile).error(), "Could not load image data");

    QMimeData garbage;
    garbage.setData("image/png", "not a png");
    EXPECT_EQ(drop::loadImage(garbage).error(), "Could not create image from data");

    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/a.png")});
    EXPECT_EQ(drop::loadImage(remote).error(), "Could not convert item to URL");
}

TEST_F(DropLoadersTest, FoldersAreKeptInOrderAmongOtherItems)
{
    test::LogCapture log;
    QDir(dir.path()).mkdir("B");
    QDir(dir.path()).mkdir("A");
    QMimeData items;
    items.setUrls({QUrl::fromLocalFile(dir.filePath("B")), QUrl::fromLocalFile(write("t.txt", "x")),
                   QUrl("https://example.org/"), QUrl::fromLocalFile(dir.filePath("A")),
                   QUrl::fromLocalFile(dir.filePath("gone"))});
    Result<QList<QUrl>> folders = drop::loadFolders(items);
    ASSERT_TRUE(folders);
    EXPECT_EQ(*folders, (QList<QUrl>{QUrl::fromLocalFile(dir.filePath("B")), QUrl::fromLocalFile(dir.filePath("A"))}));
    EXPECT_EQ(log.count("Not a directory!!"), 3);
}

TEST_F(DropLoadersTest, EmptyDropIsEmptyAndADropWithoutURLsFails)
{
    EXPECT_TRUE(drop::loadFolders(QMimeData())->isEmpty());
    QMimeData text;
    text.setText("/home");
    EXPECT_EQ(drop::loadFolders(text).error(), "Could not convert item to URL");
}

} // namespace
