#include "ui/controls/ColorPickerPopup.h"

#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "support/WidgetInput.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/CustomGradientSlider.h"
#include "ui/controls/HSLSlider.h"
#include "ui/controls/HexColorField.h"
#include "ui/controls/PaletteView.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

using namespace pigmo;

namespace {

struct PopupFixture : ::testing::Test {
    HSL color{10, 80, 40};
    PalettesManager palettes;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    ColorPickerPopup popup{Binding<HSL>::of(color), palettes, localization};
};

} // namespace

TEST_F(PopupFixture, IsAThreeHundredPointPopupOfTheBoundColour)
{
    popup.show();
    EXPECT_TRUE(popup.windowFlags().testFlag(Qt::Popup));
    EXPECT_EQ(popup.width(), 300);
    EXPECT_EQ(popup.hexField()->text(), color.color().hexString());
    EXPECT_EQ(popup.slider(HSLComponent::hue)->field()->text(), QStringLiteral("10"));
    EXPECT_EQ(popup.slider(HSLComponent::lightness)->field()->text(), QStringLiteral("40"));
    EXPECT_LE(popup.paletteView()->maximumHeight(), 100);
    EXPECT_EQ(popup.paletteView()->paletteSwatches().size(), ColorPickerPopup::builtInColors().size());
    EXPECT_EQ(ColorPickerPopup::builtInColors().size(), 45);
}

TEST_F(PopupFixture, EachRowWritesItsChannelAndTheOthersFollow)
{
    popup.resize(300, popup.sizeHint().height());
    popup.show();
    HSLSlider* hue = popup.slider(HSLComponent::hue);
    test::drag(hue->slider(), {0, 10}, {hue->slider()->usableLength() / 4, 10});
    EXPECT_DOUBLE_EQ(color.hue, 90);
    EXPECT_EQ(color.saturation, 80);
    EXPECT_EQ(hue->field()->text(), QStringLiteral("90"));
    EXPECT_EQ(popup.hexField()->text(), color.color().hexString());
}

TEST_F(PopupFixture, APaletteSwatchSetsTheColourThroughItsHSLForm)
{
    popup.show();
    ColorSwatch* first = popup.paletteView()->paletteSwatches().first();
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(color, *HSL::fromColor(ColorPickerPopup::builtInColors().first()));
}

TEST_F(PopupFixture, ReturnInAFieldEndsTheEntryAndEscapeClosesIt)
{
    popup.show();
    QLineEdit* hue = popup.slider(HSLComponent::hue)->field();
    test::retype(hue, QStringLiteral("120"));
    QTest::keyClick(hue, Qt::Key_Return);
    EXPECT_TRUE(popup.isVisible());
    EXPECT_FALSE(hue->hasFocus());
    EXPECT_EQ(color.hue, 120);

    test::retype(popup.hexField(), QStringLiteral("ff8800"));
    QTest::keyClick(popup.hexField(), Qt::Key_Enter);
    EXPECT_TRUE(popup.isVisible());
    EXPECT_FALSE(popup.hexField()->hasFocus());
    EXPECT_EQ(popup.hexField()->text(), QStringLiteral("FF8800"));
    EXPECT_EQ(popup.slider(HSLComponent::hue)->field()->text(), QStringLiteral("32"));

    QTest::keyClick(&popup, Qt::Key_Escape);
    EXPECT_FALSE(popup.isVisible());
}
