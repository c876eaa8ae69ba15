#include "ui/controls/BundleImage.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace pigmo;

TEST(BundleImageTest, LoadsALucideIconAndDrawsItInTheGivenColourOnly)
{
    const std::optional<TemplateImage> house = loadBundleSVGImage(QStringLiteral("house"));
    ASSERT_TRUE(house);
    const QImage image = house->pixmap({32, 32}, QColor(200, 30, 60), 2).toImage();
    EXPECT_EQ(image.size(), QSize(64, 64));
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 0)
                continue;
            ++ink;
            if (c.alpha() == 255) {
                EXPECT_EQ(c.rgb(), QColor(200, 30, 60).rgb());
            }
        }
    }
    EXPECT_GT(ink, 200);
    EXPECT_LT(ink, 64 * 64 / 2); // strokes, not a filled square
}

TEST(BundleImageTest, NamesThatAreNoPlainFileNameOrMissingGiveNothing)
{
    EXPECT_FALSE(loadBundleSVGImage(QStringLiteral("no-such-icon")));
    EXPECT_FALSE(loadBundleSVGImage(QStringLiteral("../images/app-icon")));
    EXPECT_FALSE(loadBundleSVGImage(QStringLiteral(".hidden")));
    EXPECT_FALSE(loadBundleSVGImage(QString()));
}

TEST(BundleImageTest, EverySymbolTheInterfaceDrawsMapsToAShippedIcon)
{
    for (const char* symbol : {"house", "clock.arrow.circlepath", "gearshape", "magnifyingglass", "xmark.circle.fill",
                               "xmark", "plus", "trash", "folder"})
        EXPECT_TRUE(symbolImage(QString::fromLatin1(symbol))) << symbol;
    EXPECT_FALSE(symbolImage(QStringLiteral("no.such.symbol")));
}
