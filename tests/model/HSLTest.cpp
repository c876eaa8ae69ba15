#include "model/HSL.h"

#include <gtest/gtest.h>

#include <cmath>

using pigmo::Color;
using pigmo::HSL;
using pigmo::HSLComponent;

namespace {

void expectColor(const Color& actual, double r, double g, double b)
{
    EXPECT_NEAR(actual.red, r, 1e-12);
    EXPECT_NEAR(actual.green, g, 1e-12);
    EXPECT_NEAR(actual.blue, b, 1e-12);
    EXPECT_EQ(actual.opacity, 1.0);
}

} // namespace

TEST(HSLTest, PrimaryHuesAndRowBoundaries)
{
    expectColor(HSL{0, 100, 50}.color(), 1, 0, 0);
    expectColor(HSL{120, 100, 50}.color(), 0, 1, 0);
    expectColor(HSL{240, 100, 50}.color(), 0, 0, 1);
    expectColor(HSL{360, 100, 50}.color(), 1, 0, 0);
    expectColor(HSL{30, 100, 50}.color(), 1, 0.5, 0);
    expectColor(HSL{60, 100, 50}.color(), 1, 1, 0); // upper bound belongs to the next row
    expectColor(HSL{300, 100, 50}.color(), 1, 0, 1);
}

TEST(HSLTest, GreysIgnoreHueAndOutOfRangeValuesAreNotClamped)
{
    for (double hue : {0.0, 77.0, 200.0, 359.0})
        expectColor(HSL{hue, 0, 40}.color(), 0.4, 0.4, 0.4);
    const Color bright = HSL{0, 100, 150}.color();
    EXPECT_GT(bright.green, 1.0);
    const Color negative = HSL{-30, 100, 50}.color(); // last row: C, 0, X with X from fmod's sign
    EXPECT_DOUBLE_EQ(negative.red, 1.0);
    EXPECT_LT(negative.blue, 0.5 + 1e-12);
    const Color nan = HSL{std::nan(""), 100, 50}.color();
    EXPECT_DOUBLE_EQ(nan.red, 1.0);
}

TEST(HSLTest, HexStringRoundsHalvesAwayFromZero)
{
    EXPECT_EQ((Color{0.5, 0.5, 0.5}.hexString()), "808080");
    EXPECT_EQ((Color{1, 1, 1}.hexString()), "FFFFFF");
    EXPECT_EQ((Color{0, 0, 0}.hexString()), "000000");
    EXPECT_EQ((Color{1, 128 / 255.0, 0}.hexString()), "FF8000");
    EXPECT_EQ((Color{std::nan(""), 0, 0}.hexString()), "#FFFFFF");
    EXPECT_EQ((Color{1.4, -0.2, 0}.hexString()), "FF0000");
}

TEST(HSLTest, HexParsing)
{
    const auto withHash = Color::fromHex(u"#FF8000");
    const auto without = Color::fromHex(u"FF8000");
    ASSERT_TRUE(withHash && without);
    EXPECT_EQ(*withHash, *without);
    expectColor(*without, 1, 128 / 255.0, 0);
    EXPECT_EQ(Color::fromHex(u"ff8000"), Color::fromHex(u"FF8000"));

    EXPECT_FALSE(Color::fromHex(u"##FF8000"));
    EXPECT_FALSE(Color::fromHex(u"FFF"));
    EXPECT_FALSE(Color::fromHex(u"FF80001"));
    EXPECT_FALSE(Color::fromHex(u"GG8000"));
    EXPECT_FALSE(Color::fromHex(u""));
    EXPECT_FALSE(Color::fromHex(u"+-0000"));
    EXPECT_FALSE(Color::fromHex(u"FF 800"));

    const auto plus = Color::fromHex(u"+0000F");
    ASSERT_TRUE(plus);
    expectColor(*plus, 0, 0, 15 / 255.0);
    const auto minus = Color::fromHex(u"-00001");
    ASSERT_TRUE(minus);
    expectColor(*minus, 1, 1, 1);
}

TEST(HSLTest, ColorToHSLRoundTrips)
{
    for (const HSL hsl : {HSL{195, 100, 50}, HSL{12, 40, 30}, HSL{300, 75, 80}, HSL{90, 10, 5}}) {
        const auto back = HSL::fromColor(hsl.color());
        ASSERT_TRUE(back);
        expectColor(back->color(), hsl.color().red, hsl.color().green, hsl.color().blue);
        EXPECT_NEAR(back->hue, hsl.hue, 1e-9);
    }
    const auto grey = HSL::fromColor(Color{0.3, 0.3, 0.3});
    ASSERT_TRUE(grey);
    EXPECT_EQ(grey->hue, 0);
    EXPECT_EQ(grey->saturation, 0);
    EXPECT_NEAR(grey->lightness, 30, 1e-9);
    const auto white = HSL::fromColor(Color{1, 1, 1});
    ASSERT_TRUE(white);
    EXPECT_EQ(white->saturation, 0); // L exactly 1
    EXPECT_FALSE(HSL::fromColor(Color{std::nan(""), 0, 0}));
}

TEST(HSLTest, ChannelGradients)
{
    EXPECT_TRUE(HSL::channelGradient(HSLComponent::hue, 0, HSL{0, 100, 50}).empty());

    const auto hue = HSL::channelGradient(HSLComponent::hue, 20, HSL{123, 100, 50});
    ASSERT_EQ(hue.size(), 20u);
    expectColor(hue.front(), 1, 0, 0);
    expectColor(hue.back(), 1, 0, 0); // hue exactly 360

    const auto lightness = HSL::channelGradient(HSLComponent::lightness, 20, HSL{200, 80, 50});
    expectColor(lightness.front(), 0, 0, 0);
    expectColor(lightness.back(), 1, 1, 1);

    const auto saturation = HSL::channelGradient(HSLComponent::saturation, 3, HSL{0, 10, 50});
    expectColor(saturation[0], 0.5, 0.5, 0.5);
    expectColor(saturation[1], 0.75, 0.25, 0.25);
}
