#include "render/BlendModes.h"
#include "CompositingReference.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <vector>

using pigmo::Color;
using pigmo::ColorFill;
using pigmo::HSL;
using pigmo::OverlayFill;
using namespace pigmo::test;

namespace {

// Premultiplied backdrops: opaque, translucent and fully transparent pixels of every kind of colour.
std::vector<QRgb> backdrops()
{
    QRandomGenerator random(7);
    std::vector<QRgb> pixels = {qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 255), qRgba(255, 255, 255, 255),
                                qRgba(128, 128, 128, 255)};
    for (int i = 0; i < 4000; ++i) {
        const int alpha = i % 4 == 0 ? 255 : random.bounded(256);
        pixels.push_back(qRgba(random.bounded(alpha + 1), random.bounded(alpha + 1), random.bounded(alpha + 1), alpha));
    }
    return pixels;
}

const Color sources[] = {
    HSL{0, 100, 50}.color(),   HSL{195, 100, 45}.color(), HSL{60, 100, 50}.color(), HSL{280, 40, 80}.color(),
    HSL{120, 100, 10}.color(), HSL{0, 0, 50}.color(),     Color{1, 1, 1},           Color{0, 0, 0}};

template <class Fill>
void expectMatchesReference(Blend blend)
{
    for (const Color& source : sources) {
        for (double opacity : {1.0, 0.53, 0.2, 0.0}) {
            const Fill fill(source, opacity);
            double worst = 0;
            for (const QRgb backdrop : backdrops()) {
                const Rgba expected = composite(fromPremultiplied(backdrop), channels(source), opacity, blend);
                worst = std::max(worst, maxChannelDifference(fill(backdrop), premultiplied255(expected)));
            }
            EXPECT_LE(worst, 1.0) << source.hexString().toStdString() << " at " << opacity;
        }
    }
}

} // namespace

TEST(BlendModesTest, ColorMatchesTheCompositingFormulasWithinOneStep)
{
    expectMatchesReference<ColorFill>(Blend::color);
}

TEST(BlendModesTest, OverlayMatchesTheCompositingFormulasWithinOneStep)
{
    expectMatchesReference<OverlayFill>(Blend::overlay);
}

TEST(BlendModesTest, ColorKeepsTheBackdropLuminosityAndTakesTheSourceHue)
{
    // SetLum(red, 0.502) leaves the gamut at the top and is pulled back towards grey: (1, 0.289, 0.289).
    const QColor result = QColor::fromRgba(ColorFill(Color{1, 0, 0}, 1.0)(qRgba(128, 128, 128, 255)));
    EXPECT_EQ(result.red(), 255);
    EXPECT_NEAR(result.green(), 74, 1);
    EXPECT_NEAR(result.blue(), 74, 1);
    EXPECT_EQ(result.hue(), 0);
}

TEST(BlendModesTest, ZeroOpacityKeepsTheBackdropAndTransparentBackdropTakesTheSource)
{
    for (const QRgb backdrop : {qRgba(10, 20, 30, 40), qRgba(200, 100, 50, 255)}) {
        EXPECT_EQ(ColorFill(Color{0, 0, 1}, 0.0)(backdrop), backdrop);
        EXPECT_EQ(OverlayFill(Color{0, 0, 1}, 0.0)(backdrop), backdrop);
    }
    EXPECT_EQ(ColorFill(Color{0, 0, 1}, 0.5)(0u), qRgba(0, 0, 128, 128));
    EXPECT_EQ(OverlayFill(Color{0, 0, 1}, 0.5)(0u), qRgba(0, 0, 128, 128));
    EXPECT_EQ(ColorFill(Color{0, 0, 1}, std::nan(""))(qRgba(1, 2, 3, 4)), qRgba(1, 2, 3, 4));
}
