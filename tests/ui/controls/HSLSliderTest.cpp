#include "ui/controls/HSLSlider.h"

#include "services/LocalizationManager.h"
#include "support/WidgetInput.h"
#include "ui/controls/CustomGradientSlider.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

using namespace pigmo;

namespace {

struct HSLSliderFixture : ::testing::Test {
    HSL color{123.6, 44.9999, 50};
    int writes = 0;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    Binding<HSL> binding{[this] { return color; },
                         [this](const HSL& next) {
                             ++writes;
                             color = next;
                         }};

    // Replaces the field's text as a user does.
};

} // namespace

TEST_F(HSLSliderFixture, ShowingALoadedColourShowsRoundedValuesAndWritesNothing)
{
    HSLSlider hue(HSLBindings::over(binding), HSLComponent::hue, localization);
    HSLSlider saturation(HSLBindings::over(binding), HSLComponent::saturation, localization);
    hue.show();
    saturation.show();
    hue.refresh();
    saturation.refresh();
    EXPECT_EQ(hue.field()->text(), QStringLiteral("124"));
    EXPECT_EQ(saturation.field()->text(), QStringLiteral("45"));
    saturation.field()->setFocus();
    hue.field()->setFocus(); // focus leaving a field shows the value again
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(color, (HSL{123.6, 44.9999, 50}));
}

TEST_F(HSLSliderFixture, TypingSetsOnlyTheRowsChannelLimitedToItsRange)
{
    HSLSlider hue(HSLBindings::over(binding), HSLComponent::hue, localization);
    hue.show();
    test::retype(hue.field(), QStringLiteral("400"));
    EXPECT_EQ(color.hue, 360);
    test::retype(hue.field(), QStringLiteral("-5"));
    EXPECT_EQ(color.hue, 0);
    // The field shows whole numbers: a typed fraction sets the integer part, which the field then shows.
    test::retype(hue.field(), QStringLiteral("12.7"));
    EXPECT_EQ(color.hue, 12);
    EXPECT_EQ(hue.field()->text(), QStringLiteral("12.7")); // typing is not overwritten while it goes on
    QTest::keyClick(hue.field(), Qt::Key_Return);
    EXPECT_EQ(hue.field()->text(), QStringLiteral("12"));
    EXPECT_EQ(color.hue, 12);
    EXPECT_EQ(color.saturation, 44.9999);
    EXPECT_EQ(color.lightness, 50);

    HSLSlider lightness(HSLBindings::over(binding), HSLComponent::lightness, localization);
    lightness.show();
    test::retype(lightness.field(), QStringLiteral("150"));
    EXPECT_EQ(color.lightness, 100);
    test::retype(lightness.field(), QStringLiteral("99.99"));
    EXPECT_EQ(color.lightness, 99);
    EXPECT_EQ(color.hue, 12);
}

TEST_F(HSLSliderFixture, TextThatIsNoNumberChangesNothing)
{
    HSLSlider hue(HSLBindings::over(binding), HSLComponent::hue, localization);
    hue.show();
    test::retype(hue.field(), QStringLiteral("abc"));
    test::retype(hue.field(), QString());
    test::retype(hue.field(), QStringLiteral("nan"));
    test::retype(hue.field(), QStringLiteral("e5"));
    test::retype(hue.field(), QStringLiteral("."));
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(color.hue, 123.6);
}

TEST_F(HSLSliderFixture, ReadingTextLimitsInfinitiesAndRefusesNotANumber)
{
    EXPECT_EQ(HSLSlider::valueOfText(QStringLiteral("1e999"), 360), 360.0);
    EXPECT_EQ(HSLSlider::valueOfText(QStringLiteral("-1e999"), 360), 0.0);
    EXPECT_EQ(HSLSlider::valueOfText(QStringLiteral("+2.5e1"), 100), 25.0);
    EXPECT_EQ(HSLSlider::valueOfText(QStringLiteral(".5"), 100), 0.0);
    EXPECT_EQ(HSLSlider::valueOfText(QStringLiteral("359.9"), 360), 359.0);
    EXPECT_EQ(HSLSlider::valueOfText(QStringLiteral("inf"), 100), std::nullopt);
    EXPECT_EQ(HSLSlider::valueOfText(QStringLiteral("1,5"), 100), std::nullopt);
    EXPECT_EQ(HSLSlider::valueOfText(QStringLiteral(" 5"), 100), std::nullopt);
    EXPECT_EQ(HSLSlider::textOfValue(-0.2), QStringLiteral("0"));
    EXPECT_EQ(HSLSlider::textOfValue(199.7), QStringLiteral("200"));
}

TEST_F(HSLSliderFixture, DraggingTheTrackSetsTheChannelAndTheFieldFollows)
{
    HSLSlider saturation(HSLBindings::over(binding), HSLComponent::saturation, localization);
    saturation.resize(260, 24);
    saturation.show();
    CustomGradientSlider* track = saturation.slider();
    const double usable = track->usableLength();
    test::drag(track, {0, 10}, {usable / 2, 10});
    EXPECT_DOUBLE_EQ(color.saturation, 50);
    EXPECT_EQ(color.hue, 123.6);
    saturation.refresh();
    EXPECT_EQ(saturation.field()->text(), QStringLiteral("50"));
}

TEST_F(HSLSliderFixture, TheTrackShowsTheChannelWithTheOtherTwoAsTheyAre)
{
    color = {200, 80, 40};
    HSLSlider lightness(HSLBindings::over(binding), HSLComponent::lightness, localization);
    const QGradientStops stops = lightness.slider()->gradientStops();
    ASSERT_EQ(stops.size(), 20);
    EXPECT_EQ(stops.first().second, QColor(Qt::black));
    EXPECT_EQ(stops.last().second, QColor(Qt::white));
}
