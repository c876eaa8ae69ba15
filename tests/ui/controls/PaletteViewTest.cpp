#include "ui/controls/PaletteView.h"

#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "ui/controls/ColorSwatch.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTest>

using namespace pigmo;

namespace {

struct PaletteFixture : ::testing::Test {
    PalettesManager palettes;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    Color current{1, 0, 0, 1};
    QList<Color> selected;
    const QList<Color> fixed{{0, 1, 0, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}};
    PaletteView view{palettes,
                     localization,
                     fixed,
                     [this](const Color& c) { selected.append(c); },
                     22,
                     8,
                     [this] { return current; }};
    void SetUp() override
    {
        view.resize(300, 100);
        view.show();
    }
};

} // namespace

TEST_F(PaletteFixture, WithoutCustomColoursOnlyThePlusTileLeadsThePalette)
{
    EXPECT_TRUE(view.customSwatches().isEmpty());
    ASSERT_EQ(view.paletteSwatches().size(), 3);
    EXPECT_EQ(view.paletteSwatches()[2]->color(), QColor(0, 0, 255));
}

TEST_F(PaletteFixture, ThePlusTileAddsTheCurrentColourOnceNewestFirst)
{
    QTest::mouseClick(view.addButton(), Qt::LeftButton);
    current = {0, 0, 0, 1};
    QTest::mouseClick(view.addButton(), Qt::LeftButton);
    QTest::mouseClick(view.addButton(), Qt::LeftButton);
    EXPECT_EQ(palettes.customColors().size(), 2);
    const QList<ColorSwatch*> custom = view.customSwatches();
    ASSERT_EQ(custom.size(), 2);
    EXPECT_EQ(custom[0]->color(), QColor(Qt::black));
    EXPECT_EQ(custom[1]->color(), QColor(Qt::red));
    PalettesManager reloaded; // saved under "customColors"
    EXPECT_EQ(reloaded.customColors().size(), 2);
}

TEST_F(PaletteFixture, AContextMenuRemovesACustomColourButPaletteSwatchesHaveNone)
{
    palettes.addCustomColor({1, 0, 0, 1});
    palettes.addCustomColor({0, 0, 0, 1});
    ASSERT_EQ(view.customSwatches().size(), 2);
    EXPECT_EQ(view.openContextMenu(view.paletteSwatches().first(), {}), nullptr);
    QMenu* menu = view.openContextMenu(view.customSwatches().last(), QPoint(10, 10));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("Remove"));
    menu->actions().first()->trigger();
    ASSERT_EQ(palettes.customColors().size(), 1);
    EXPECT_EQ(palettes.customColors().first().hexString(), QStringLiteral("000000"));
    ASSERT_EQ(view.customSwatches().size(), 1);
    EXPECT_EQ(view.customSwatches().first()->color(), QColor(Qt::black));
}

TEST_F(PaletteFixture, ClickingAnySwatchHandsOverItsColourAndChangesNothingElse)
{
    palettes.addCustomColor({1, 0, 0, 1});
    QTest::mouseClick(view.customSwatches().first(), Qt::LeftButton);
    QTest::mouseClick(view.paletteSwatches()[1], Qt::LeftButton);
    ASSERT_EQ(selected.size(), 2);
    EXPECT_EQ(selected[0].hexString(), QStringLiteral("FF0000"));
    EXPECT_EQ(selected[1], (Color{0, 0, 1, 1}));
    EXPECT_EQ(palettes.customColors().size(), 1);
}

TEST_F(PaletteFixture, TheMaskIsOpaqueUntilTheLastThirtyPointsAndTheListFadesThere)
{
    const QLinearGradient mask = PaletteView::topHighlightGradient(100);
    ASSERT_EQ(mask.stops().size(), 3);
    EXPECT_DOUBLE_EQ(mask.stops()[1].first, 0.7);
    EXPECT_EQ(mask.stops()[1].second.alpha(), 255);
    EXPECT_EQ(mask.stops()[2].second.alpha(), 0);

    // Many custom colours overflow the 100-point view; the bottom row shown fades into the background.
    for (int i = 0; i < 40; ++i)
        palettes.addCustomColor({i / 40.0, 0.2, 0.9, 1});
    QApplication::processEvents();
    const QImage image = view.grab().toImage();
    const QColor background = view.palette().color(QPalette::Window);
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() - 1).rgb(), background.rgb());
}
