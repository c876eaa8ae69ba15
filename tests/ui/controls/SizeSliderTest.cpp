#include "ui/controls/SizeSlider.h"

#include "support/WidgetInput.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>

using namespace pigmo;

TEST(SizeSliderTest, DraggingMapsTheTrackOntoTheRangeAndNeverLeavesIt)
{
    double value = 0.5;
    SizeSlider slider(Binding<double>::of(value), 100, 240, 24);
    slider.resize(224, 24); // U = 200
    slider.show();
    test::drag(&slider, {0, 12}, {50, 12});
    EXPECT_DOUBLE_EQ(value, 100 + 140 * 0.25);
    test::drag(&slider, {0, 12}, {-100, 12});
    EXPECT_EQ(value, 100);
    test::drag(&slider, {0, 12}, {1000, 12});
    EXPECT_EQ(value, 240);
}

TEST(SizeSliderTest, ASinglePointRangeOrNoRoomIgnoresTheDrag)
{
    double value = 3;
    SizeSlider point(Binding<double>::of(value), 1, 1, 24);
    point.resize(224, 24);
    test::drag(&point, {0, 12}, {50, 12});
    EXPECT_EQ(value, 3);
    SizeSlider narrow(Binding<double>::of(value), 0, 1, 24);
    narrow.resize(24, 24);
    test::drag(&narrow, {0, 12}, {20, 12});
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(std::isfinite(value));
}

TEST(SizeSliderTest, TheInnerDotGrowsWithTheValue)
{
    // Counts the strongly covered pixels of the knob's cell: the inner dot is filled, the ring is not.
    auto knobInk = [](double fraction) {
        double value = fraction;
        SizeSlider slider(Binding<double>::of(value), 0, 1, 24);
        slider.resize(24 + 200, 24);
        const QImage image = slider.grab().toImage();
        const int left = int(200 * fraction);
        int ink = 0;
        for (int y = 6; y < 18; ++y)
            for (int x = left + 6; x < left + 18; ++x)
                ink += image.pixelColor(x, y).lightness() < 80;
        return ink;
    };
    const int none = knobInk(0), half = knobInk(0.5), full = knobInk(1);
    EXPECT_LT(none, half);
    EXPECT_LT(half, full);
}
