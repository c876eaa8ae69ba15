#include "ui/editor/DetailsTab.h"

#include "catalogue/IconsModel.h"
#include "platform/Appearance.h"
#include "services/ColorizationViewModel.h"
#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "support/CoreServices.h"
#include "support/WidgetInput.h"
#include "ui/controls/ColorPickerPopup.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/HexColorField.h"
#include "ui/controls/SizeSlider.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace pigmo;

namespace {

// The pixels of the glyph drawn in the preview (nearly opaque ones), and their average grey.
struct GlyphPixels {
    int count = 0;
    int grey = 0;
};

GlyphPixels glyphPixels(QWidget& preview)
{
    QImage picture(preview.size() * 2, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(2);
    picture.fill(Qt::transparent);
    preview.render(&picture, {}, {}, QWidget::DrawChildren);
    GlyphPixels found;
    qint64 greys = 0;
    for (int y = 20; y < picture.height() - 20; ++y)
        for (int x = 20; x < picture.width() - 20; ++x)
            if (qAlpha(picture.pixel(x, y)) > 200) {
                ++found.count;
                greys += qGray(picture.pixel(x, y));
            }
    found.grey = found.count ? int(greys / found.count) : 0;
    return found;
}

struct DetailsTabFixture : ::testing::Test {
    QTemporaryDir folder;
    test::CoreServices services;
    std::shared_ptr<ColorizationViewModel> model =
        ColorizationViewModel::create(*Folder::fromPath(folder.path()), false, services.colorization());
    PalettesManager palettes;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};

    std::unique_ptr<DetailsTab> makeTab()
    {
        auto tab = std::make_unique<DetailsTab>(model, palettes, localization);
        tab->resize(380, 420);
        tab->show();
        return tab;
    }
    Icon lucide(const char* name) const
    {
        const std::optional<Icon> icon = services.icons.lucideIcon(QString::fromLatin1(name));
        EXPECT_TRUE(icon) << name;
        return icon.value_or(Icon{});
    }
};

} // namespace

TEST_F(DetailsTabFixture, WithoutAGlyphOnlyTheHintShows)
{
    model->setIcon(std::nullopt);
    auto tab = makeTab();
    EXPECT_TRUE(tab->isShowingHint());
    EXPECT_FALSE(tab->sizeSlider()->isVisible());
    EXPECT_FALSE(tab->preview()->isVisible());
    const QList<QLabel*> labels = tab->findChildren<QLabel*>();
    const bool hintShown = std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
        return label->isVisible() &&
               label->text() == QStringLiteral("Choose an icon to adjust its size, style and color");
    });
    EXPECT_TRUE(hintShown);
}

TEST_F(DetailsTabFixture, TheGlyphPreviewFollowsTheAppearanceAndIsDrawnAtThePaintingDensity)
{
    QApplication::setPalette(Appearance::lightPalette());
    model->setIcon(lucide("folder"));
    auto tab = makeTab();
    const GlyphPixels light = glyphPixels(*tab->preview());
    EXPECT_GT(light.count, 200);
    EXPECT_LT(light.grey, 80); // dark on the light window
    QApplication::setPalette(Appearance::darkPalette());
    QApplication::processEvents();
    const GlyphPixels dark = glyphPixels(*tab->preview());
    EXPECT_GT(dark.count, 200);
    EXPECT_GT(dark.grey, 180); // light on the dark window, without the tab being rebuilt
    QApplication::setPalette(Appearance::lightPalette());
}

TEST_F(DetailsTabFixture, AnEmojiGlyphShowsItselfAndOnlyTheSizeRow)
{
    Icon emoji;
    emoji.emoji = QStringLiteral("🚀");
    emoji.name = QStringLiteral("rocket");
    model->setIcon(emoji);
    auto tab = makeTab();
    EXPECT_EQ(tab->preview()->text(), QStringLiteral("🚀"));
    EXPECT_EQ(tab->preview()->font().pixelSize(), 48);
    EXPECT_TRUE(tab->sizeSlider()->isVisible());
    EXPECT_FALSE(tab->styleMenu()->isVisible());
    EXPECT_FALSE(tab->hexField()->isVisible());
}

TEST_F(DetailsTabFixture, ChoosingColourFromVibrantUsesTheDefaultGlyphColourAndShowsItsRow)
{
    model->setIcon(lucide("folder"));
    model->setIconStyle(IconStyle::vibrant());
    auto tab = makeTab();
    EXPECT_GT(glyphPixels(*tab->preview()).count, 200);
    EXPECT_TRUE(tab->styleMenu()->isVisible());
    EXPECT_FALSE(tab->hexField()->isVisible());
    EXPECT_EQ(tab->styleMenu()->currentText(), QStringLiteral("Vibrant"));
    tab->styleMenu()->setFocus();
    QTest::keyClick(tab->styleMenu(), Qt::Key_Down); // "Original"
    EXPECT_EQ(model->iconStyle(), IconStyle::original());
    QTest::keyClick(tab->styleMenu(), Qt::Key_Down); // "Color"
    EXPECT_EQ(model->iconStyle(), IconStyle::color({200, 70, 50}));
    EXPECT_TRUE(tab->hexField()->isVisible());
    EXPECT_EQ(tab->hexField()->text(), (HSL{200, 70, 50}.color().hexString()));
}

TEST_F(DetailsTabFixture, AColourStyleSeedsTheSwatchAndSurvivesASwitchAway)
{
    model->setIcon(lucide("folder"));
    model->setIconStyle(IconStyle::color({10, 80, 40}));
    auto tab = makeTab();
    EXPECT_EQ(tab->iconColor(), (HSL{10, 80, 40}));
    EXPECT_EQ(tab->colorButton()->color(), ui::qColor(HSL{10, 80, 40}.color()));
    EXPECT_EQ(tab->hexField()->text(), (HSL{10, 80, 40}.color().hexString()));
    model->setIconStyle(IconStyle::inverted()); // from elsewhere: the tab's colour stays
    EXPECT_FALSE(tab->isColorRowShown());
    EXPECT_EQ(tab->iconColor(), (HSL{10, 80, 40}));
    tab->styleMenu()->setFocus();
    QTest::keyClick(tab->styleMenu(), Qt::Key_Up); // from "Inverted" to "Color"
    EXPECT_EQ(model->iconStyle(), IconStyle::color({10, 80, 40}));
}

TEST_F(DetailsTabFixture, TheSizeSliderSpansOneHundredToTwoHundredForty)
{
    model->setIcon(lucide("folder"));
    EXPECT_EQ(DetailsTab::sizeFraction(100), 0);
    EXPECT_EQ(DetailsTab::sizeFraction(240), 1);
    EXPECT_EQ(DetailsTab::sizeFraction(170), 0.5);
    auto tab = makeTab();
    SizeSlider* slider = tab->sizeSlider();
    EXPECT_EQ(slider->value(), DetailsTab::sizeFraction(model->iconSize()));
    test::drag(slider, {0, 12}, {slider->usableLength() / 4, 12});
    EXPECT_DOUBLE_EQ(model->iconSize(), 135);
    test::drag(slider, {0, 12}, {-50, 12});
    EXPECT_EQ(model->iconSize(), 100);
}

TEST_F(DetailsTabFixture, TypingAValidHexSwitchesToTheColourStyleEvenWhenEqual)
{
    model->setIcon(lucide("folder"));
    model->setIconStyle(IconStyle::color({10, 80, 40}));
    auto tab = makeTab();
    const QString same = HSL{10, 80, 40}.color().hexString();
    const HSL parsed = *HexColorField::colorOfText(same);
    int styleWrites = 0;
    QObject::connect(model.get(), &ColorizationViewModel::styleChanged, [&styleWrites] { ++styleWrites; });
    test::retype(tab->hexField(), same);
    EXPECT_GE(styleWrites, 1);
    EXPECT_EQ(model->iconStyle(), IconStyle::color(parsed));
    const int before = styleWrites;
    test::retype(tab->hexField(), QStringLiteral("12345"));
    EXPECT_EQ(styleWrites, before);
}

TEST_F(DetailsTabFixture, TheColourPopupUpdatesSwatchHexAndStyleAtOnce)
{
    model->setIcon(lucide("folder"));
    model->setIconStyle(IconStyle::color({10, 80, 40}));
    auto tab = makeTab();
    EXPECT_FALSE(tab->isColorPickerPresented());
    QTest::mouseClick(tab->colorButton(), Qt::LeftButton);
    ASSERT_TRUE(tab->isColorPickerPresented());
    test::retype(tab->colorPicker()->hexField(), QStringLiteral("00FF00"));
    const HSL green = *HSL::fromColor({0, 1, 0, 1});
    EXPECT_EQ(model->iconStyle(), IconStyle::color(green));
    EXPECT_EQ(tab->iconColor(), green);
    EXPECT_EQ(tab->hexField()->text(), QStringLiteral("00FF00"));
    EXPECT_EQ(tab->colorButton()->color(), QColor(0, 255, 0));
    tab->colorPicker()->close();
    EXPECT_FALSE(tab->isColorPickerPresented());
}
