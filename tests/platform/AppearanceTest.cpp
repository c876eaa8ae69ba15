#include "platform/Appearance.h"

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

TEST(AppearanceTest, PalettesDifferAndMatchTheirNames)
{
    const QPalette light = Appearance::lightPalette();
    const QPalette dark = Appearance::darkPalette();
    EXPECT_NE(light, dark);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        EXPECT_GT(light.color(role).lightness(), dark.color(role).lightness()) << role;
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        EXPECT_LT(light.color(role).lightness(), dark.color(role).lightness()) << role;
    EXPECT_EQ(dark.color(QPalette::Window), Appearance::darkWindowBackground());
    EXPECT_EQ(Appearance::darkWindowBackground().red(), 20) << "white level 0.08";
    EXPECT_NE(dark.color(QPalette::Disabled, QPalette::Text), dark.color(QPalette::Active, QPalette::Text));
}

TEST(AppearanceTest, SystemFollowsThePortalElseTheCurrentPalette)
{
    const QPalette light = Appearance::lightPalette();
    const QPalette dark = Appearance::darkPalette();
    EXPECT_TRUE(Appearance::systemPrefersDark(ColorScheme::dark, light));
    EXPECT_FALSE(Appearance::systemPrefersDark(ColorScheme::light, dark));
    EXPECT_FALSE(Appearance::systemPrefersDark(ColorScheme::noPreference, dark));
    EXPECT_TRUE(Appearance::systemPrefersDark(std::nullopt, dark));
    EXPECT_FALSE(Appearance::systemPrefersDark(std::nullopt, light));
}

} // namespace
