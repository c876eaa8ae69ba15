#include "render/ColorBlend.h"
#include "CompositingReference.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

using pigmo::Color;
using pigmo::HSL;
using namespace pigmo::test;

namespace {

QImage randomPremultiplied(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int alpha = (x + y) % 4 == 0 ? 255 : random.bounded(256);
            image.setPixel(
                x, y, qRgba(random.bounded(alpha + 1), random.bounded(alpha + 1), random.bounded(alpha + 1), alpha));
        }
    }
    return image;
}

} // namespace

TEST(ColorBlendTest, MatchesTheCompositingFormulasWithinOneStep)
{
    const Color sources[] = {
        HSL{0, 100, 50}.color(),   HSL{195, 100, 45}.color(), HSL{60, 100, 50}.color(), HSL{280, 40, 80}.color(),
        HSL{120, 100, 10}.color(), HSL{0, 0, 50}.color(),     Color{1, 1, 1},           Color{0, 0, 0}};
    const QImage backdrop = randomPremultiplied(64, 7);
    for (const Color& source : sources) {
        for (double opacity : {1.0, 0.53, 0.2}) {
            QImage image = backdrop;
            pigmo::fillColorBlend(image, source, opacity);
            double worst = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const Rgba expected =
                        composite(fromPremultiplied(backdrop.pixel(x, y)), channels(source), opacity, Blend::color);
                    worst = std::max(worst, maxChannelDifference(image.pixel(x, y), premultiplied255(expected)));
                }
            }
            EXPECT_LE(worst, 1.0) << source.hexString().toStdString() << " at " << opacity;
        }
    }
}

TEST(ColorBlendTest, KeepsTheBackdropLuminosityAndTakesTheSourceHue)
{
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgba(128, 128, 128, 255));
    pigmo::fillColorBlend(image, Color{1, 0, 0}, 1.0);
    // SetLum(red, 0.502) leaves the gamut at the top and is pulled back towards grey: (1, 0.289, 0.289).
    const QColor result = QColor::fromRgba(image.pixel(0, 0));
    EXPECT_EQ(result.red(), 255);
    EXPECT_NEAR(result.green(), 74, 1);
    EXPECT_NEAR(result.blue(), 74, 1);
    EXPECT_EQ(result.hue(), 0);
}

TEST(ColorBlendTest, ZeroOpacityAndOtherFormatsLeaveTheImageAlone)
{
    const QImage backdrop = randomPremultiplied(8, 3);
    QImage image = backdrop;
    pigmo::fillColorBlend(image, Color{0, 0, 1}, 0.0);
    EXPECT_EQ(image, backdrop);

    QImage straight = backdrop.convertToFormat(QImage::Format_ARGB32);
    const QImage before = straight;
    pigmo::fillColorBlend(straight, Color{0, 0, 1}, 1.0);
    EXPECT_EQ(straight, before);
}

TEST(ColorBlendTest, TransparentBackdropTakesTheSourceAtItsOpacity)
{
    QImage image(2, 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    pigmo::fillColorBlend(image, Color{0, 0, 1}, 0.5);
    EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 128, 128));
}
