#include "platform/PngEncoder.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace pigmo;

namespace {

TEST(PngEncoderTest, RoundTripIsLosslessForStraightAndPremultipliedImages)
{
    QImage image(97, 61, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 140, 220, 180));
    painter.drawEllipse(QRectF(5, 5, 80, 50));
    painter.end();

    for (const QImage& source : {image, image.convertToFormat(QImage::Format_ARGB32), image.convertToFormat(QImage::Format_RGB32)}) {
        const QByteArray png = PngEncoder::encode(source);
        ASSERT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
        const QImage decoded = QImage::fromData(png, "PNG");
        ASSERT_EQ(decoded.size(), source.size());
        EXPECT_EQ(decoded.convertToFormat(QImage::Format_ARGB32), source.convertToFormat(QImage::Format_ARGB32));
    }
}

TEST(PngEncoderTest, CompressesAndRefusesNullImages)
{
    QImage flat(512, 512, QImage::Format_ARGB32);
    flat.fill(Qt::red);
    EXPECT_LT(PngEncoder::encode(flat).size(), flat.sizeInBytes() / 50);
    EXPECT_TRUE(PngEncoder::encode(QImage()).isEmpty());
}

} // namespace
