#include "ui/controls/IntensityDotControl.h"

#include "support/WidgetInput.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

using namespace pigmo;

namespace {

const std::vector<double> intensities = {0.4, 0.5, 0.6, 0.7, 0.8};

// Whether the dot's outer rim is drawn in the nearly solid text colour (the ring) rather than in its faint
// fill, which stays well lighter on the light background even for the strongest dot.
bool ringed(IntensityDotControl& dots, int index)
{
    const QImage image = dots.grab().toImage();
    const QRectF dot = dots.dotRect(index);
    const QColor rim = image.pixelColor(int(dot.center().x()), int(dot.top()) + 1);
    return rim.lightness() < 90;
}

} // namespace

TEST(IntensityDotControlTest, ClickingADotSetsExactlyItsValue)
{
    double intensity = 0.6;
    IntensityDotControl dots(Binding<double>::of(intensity), intensities, 20);
    dots.show();
    for (int i = 0; i < 5; ++i) {
        QTest::mouseClick(&dots, Qt::LeftButton, {}, dots.dotRect(i).center().toPoint());
        EXPECT_EQ(intensity, intensities[size_t(i)]);
    }
    QTest::mouseClick(&dots, Qt::LeftButton, {}, QPoint(int(dots.dotRect(0).right()) + 4, 10)); // between dots
    EXPECT_EQ(intensity, 0.8);
}

TEST(IntensityDotControlTest, OnlyTheDotOfTheExactValueIsRinged)
{
    double intensity = 0.7;
    IntensityDotControl dots(Binding<double>::of(intensity), intensities, 20);
    EXPECT_EQ(dots.selectedIndex(), 3);
    EXPECT_TRUE(ringed(dots, 3));
    EXPECT_FALSE(ringed(dots, 2));
    intensity = 0.7 + 1e-12;
    EXPECT_EQ(dots.selectedIndex(), -1);
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(ringed(dots, i)) << i;
}

TEST(IntensityDotControlTest, ArrowKeysMoveTheSelection)
{
    double intensity = 0.6;
    IntensityDotControl dots(Binding<double>::of(intensity), intensities, 20);
    dots.show();
    dots.setFocus();
    QTest::keyClick(&dots, Qt::Key_Right);
    EXPECT_EQ(intensity, 0.7);
    QTest::keyClick(&dots, Qt::Key_Left);
    QTest::keyClick(&dots, Qt::Key_Left);
    EXPECT_EQ(intensity, 0.5);
}

TEST(IntensityDotControlTest, NoValuesShowAnEmptyRow)
{
    double intensity = 0.6;
    IntensityDotControl dots(Binding<double>::of(intensity), {}, 20);
    EXPECT_EQ(dots.selectedIndex(), -1);
    QTest::mouseClick(&dots, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(intensity, 0.6);
}
