#include "render/IconImage.h"
#include "catalogue/IconsModel.h"
#include "storage/BundleResources.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using pigmo::Icon;

namespace {

QImage solid(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

Icon fileIcon(const QString& path, const QString& name = QStringLiteral("glyph"))
{
    Icon icon;
    icon.url = QUrl::fromLocalFile(path);
    icon.name = name;
    return icon;
}

int opaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

class IconImageTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.path() + u'/' + name; }
    QTemporaryDir dir;
};

} // namespace

TEST_F(IconImageTest, CustomImageRoundTripsThroughItsPngData)
{
    const QImage red = solid(30, 20, Qt::red);
    std::optional<Icon> icon = pigmo::iconFromCustomImage(red);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->name, "<custom>");
    ASSERT_TRUE(icon->imageData);
    EXPECT_TRUE(icon->imageData->startsWith("\x89PNG"));
    EXPECT_FALSE(icon->url || icon->systemName || icon->emoji);

    icon->url = QUrl::fromLocalFile(path(QStringLiteral("other.png"))); // set later: the data still wins
    icon->systemName = QStringLiteral("folder");
    const std::optional<QImage> back = pigmo::iconImage(*icon);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), QSize(30, 20));
    EXPECT_EQ(back->pixel(5, 5), qRgb(255, 0, 0));

    EXPECT_FALSE(pigmo::iconFromCustomImage(QImage()));
}

TEST_F(IconImageTest, UnreadableImageDataGivesNothingWithoutTryingTheOtherFields)
{
    solid(4, 4, Qt::blue).save(path(QStringLiteral("blue.png")));
    Icon icon = fileIcon(path(QStringLiteral("blue.png")));
    EXPECT_TRUE(pigmo::iconImage(icon));
    icon.imageData = QByteArray("not an image");
    EXPECT_FALSE(pigmo::iconImage(icon));
}

TEST_F(IconImageTest, EmojiAndBareNamesHaveNoPicture)
{
    Icon icon;
    icon.emoji = QString::fromUtf8("😀");
    icon.name = QStringLiteral("grinning face");
    EXPECT_FALSE(pigmo::iconPicture(icon));
    icon.emoji.reset();
    EXPECT_FALSE(pigmo::iconPicture(icon));
}

TEST_F(IconImageTest, LucideSvgIsRasterisedAtTheRequestedSizeAndParsedOnce)
{
    const std::optional<Icon> folder =
        pigmo::IconsModel(pigmo::BundleResources::directory()).lucideIcon(QStringLiteral("folder"));
    ASSERT_TRUE(folder);
    const auto picture = pigmo::iconPicture(*folder);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), QSizeF(24, 24));
    EXPECT_EQ(pigmo::iconPicture(*folder), picture);

    const std::optional<QImage> large = pigmo::iconImage(*folder, QSize(170, 170));
    ASSERT_TRUE(large);
    EXPECT_EQ(large->size(), QSize(170, 170));
    EXPECT_GT(opaquePixels(*large), 170 * 4 * 4); // an outline about 14 pixels wide
    EXPECT_EQ(pigmo::iconImage(*folder)->size(), QSize(24, 24));
}

TEST_F(IconImageTest, SymbolNamesResolveToTheThemesSymbolicIcons)
{
    Icon symbol;
    symbol.systemName = QStringLiteral("folder.open");
    symbol.name = QStringLiteral("folder.open");
    const std::optional<QImage> image = pigmo::iconImage(symbol, QSize(64, 64));
    ASSERT_TRUE(image);
    EXPECT_GT(opaquePixels(*image), 200);

    symbol.systemName = QStringLiteral("no.such.symbol.anywhere");
    EXPECT_FALSE(pigmo::iconImage(symbol));
}

TEST_F(IconImageTest, MissingLucideFileIsFoundAgainByName)
{
    const Icon moved =
        fileIcon(QStringLiteral("/opt/old-place/share/pigmo2/lucide/folder.svg"), QStringLiteral("folder"));
    const std::optional<QImage> found = pigmo::iconImage(moved, QSize(48, 48));
    ASSERT_TRUE(found);
    EXPECT_EQ(found, pigmo::iconImage(
                         *pigmo::IconsModel(pigmo::BundleResources::directory()).lucideIcon(QStringLiteral("folder")),
                         QSize(48, 48)));

    EXPECT_FALSE(
        pigmo::iconImage(fileIcon(QStringLiteral("/opt/old-place/folder.svg"), QStringLiteral("no-such-lucide-name"))));
}

TEST_F(IconImageTest, OnlyRegularFilesUnderEightMegabytesAreRead)
{
    QImage pattern = solid(16, 16, Qt::green);
    ASSERT_TRUE(pattern.save(path(QStringLiteral("small.png"))));
    EXPECT_TRUE(pigmo::iconImage(fileIcon(path(QStringLiteral("small.png")))));

    // The same valid PNG followed by padding: the decoder would read it, the size cap refuses it.
    QFile::copy(path(QStringLiteral("small.png")), path(QStringLiteral("padded.png")));
    QFile padded(path(QStringLiteral("padded.png")));
    ASSERT_TRUE(padded.open(QIODevice::Append));
    padded.write(QByteArray(8 * 1024 * 1024, '\0'));
    padded.close();
    EXPECT_FALSE(pigmo::iconImage(fileIcon(path(QStringLiteral("padded.png")))));

    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.png"))).constData(), 0600), 0);
    EXPECT_FALSE(pigmo::iconImage(fileIcon(path(QStringLiteral("pipe.png"))))); // would block forever if read
    QDir().mkpath(path(QStringLiteral("folder.png")));
    EXPECT_FALSE(pigmo::iconImage(fileIcon(path(QStringLiteral("folder.png")))));
    EXPECT_FALSE(pigmo::iconImage(fileIcon(path(QStringLiteral("absent.png")))));
}

TEST_F(IconImageTest, DecodingStopsAtTheAllocationLimit)
{
    // 9000 × 9000 grey pixels: 81 MB once decoded, from a file of 79 KB.
    const Icon huge = fileIcon(QStringLiteral(PIGMO_TEST_DATA_DIR "/render/grey-9000x9000.png"));
    EXPECT_FALSE(pigmo::iconPicture(huge));
}

TEST_F(IconImageTest, ReplacedFileIsReadAgain)
{
    const QString file = path(QStringLiteral("glyph.png"));
    ASSERT_TRUE(solid(10, 10, Qt::red).save(file));
    EXPECT_EQ(pigmo::iconPicture(fileIcon(file))->size(), QSizeF(10, 10));

    ASSERT_TRUE(solid(20, 10, Qt::blue).save(file));
    EXPECT_EQ(pigmo::iconPicture(fileIcon(file))->size(), QSizeF(20, 10));
}

TEST_F(IconImageTest, RelativeUrlsAreReadAsTheyStand)
{
    ASSERT_TRUE(solid(6, 3, Qt::red).save(path(QStringLiteral("relative.png"))));
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    Icon icon;
    icon.url = QUrl(QStringLiteral("relative.png"));
    icon.name = QStringLiteral("relative");
    const std::optional<QImage> image = pigmo::iconImage(icon);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(6, 3));

    icon.url = QUrl(QStringLiteral("https://example.com/relative.png"));
    EXPECT_FALSE(pigmo::iconImage(icon));
}

TEST_F(IconImageTest, NaturalSizeOfAHugeSvgIsBounded)
{
    QFile svg(path(QStringLiteral("huge.svg")));
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="100000" height="50000" viewBox="0 0 2 1">)"
              R"(<rect width="2" height="1" fill="red"/></svg>)");
    svg.close();
    const Icon icon = fileIcon(path(QStringLiteral("huge.svg")));
    EXPECT_EQ(pigmo::iconPicture(icon)->size(), QSizeF(100000, 50000));
    const std::optional<QImage> image = pigmo::iconImage(icon);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(4096, 2048));
}
