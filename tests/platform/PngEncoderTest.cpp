#include "platform/PngEncoder.h"

#include <gtest/gtest.h>

#include <QColorSpace>

TEST(PngEncoderTest, RoundTripsEveryPixelOfAPremultipliedImage)
{
    QImage image(64, 32, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 4, y * 8, 200, (x * 7 + y) % 256));

    const QByteArray png = pigmo::encodePng(image);
    ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    QImage back;
    ASSERT_TRUE(back.loadFromData(png, "png"));
    back.setColorSpace(QColorSpace());
    EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), image.convertToFormat(QImage::Format_ARGB32));
}

TEST(PngEncoderTest, NullImageGivesNoData)
{
    EXPECT_TRUE(pigmo::encodePng(QImage()).isEmpty());
}
