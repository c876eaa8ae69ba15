#include "ui/controls/CustomGradientSlider.h"

#include "support/WidgetInput.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace pigmo;

namespace {

// A 220-point slider of trackHeight 20: the knob travels U = 200 points.
struct SliderFixture : ::testing::Test {
    double value = 90;
    CustomGradientSlider slider{Binding<double>::of(value), 360,
                                HSL::channelGradient(HSLComponent::hue, 20, {0, 100, 50}), 20};
    void SetUp() override
    {
        slider.resize(220, 20);
        slider.show();
    }
};

} // namespace

TEST_F(SliderFixture, DraggingMapsTheUsableLengthOntoTheRangeAndClampsAtBothEnds)
{
    test::drag(&slider, {10, 10}, {50, 10});
    EXPECT_DOUBLE_EQ(value, 360 * 50.0 / 200);
    test::drag(&slider, {50, 10}, {-40, 10});
    EXPECT_EQ(value, 0);
    test::drag(&slider, {50, 10}, {219, 10});
    EXPECT_EQ(value, 360);
    test::press(&slider, {100, 10}); // a click without movement sets the value at the click
    test::release(&slider, {100, 10});
    EXPECT_DOUBLE_EQ(value, 180);
}

TEST_F(SliderFixture, TellsEditingOnEveryDragChangeAndOnceAtTheEnd)
{
    QSignalSpy editing(&slider, &CustomGradientSlider::editingChanged);
    test::press(&slider, {10, 10});
    test::moveHeld(&slider, {20, 10});
    test::moveHeld(&slider, {30, 10});
    test::release(&slider, {30, 10});
    ASSERT_EQ(editing.count(), 4);
    EXPECT_TRUE(editing[0][0].toBool());
    EXPECT_TRUE(editing[1][0].toBool());
    EXPECT_TRUE(editing[2][0].toBool());
    EXPECT_FALSE(editing[3][0].toBool());
    EXPECT_DOUBLE_EQ(value, 360 * 30.0 / 200);
}

TEST_F(SliderFixture, ADragOnATrackWithNoUsableLengthWritesNothing)
{
    slider.resize(20, 20); // U = 0
    test::drag(&slider, {5, 10}, {15, 10});
    EXPECT_EQ(value, 90);
    slider.resize(12, 20); // U < 0
    EXPECT_FALSE(slider.dragTo(6));
    EXPECT_EQ(value, 90);
}

TEST(CustomGradientSliderTest, AnEmptyRangeIgnoresDragsAndStillPaints)
{
    double value = 5;
    CustomGradientSlider slider(Binding<double>::of(value), 0, {}, 20);
    slider.resize(220, 20);
    test::drag(&slider, {5, 10}, {150, 10});
    EXPECT_EQ(value, 5);
    CustomGradientSlider infinite(Binding<double>::of(value), INFINITY, {}, 20);
    infinite.resize(220, 20);
    EXPECT_FALSE(infinite.dragTo(100));
    EXPECT_EQ(value, 5);
    EXPECT_FALSE(slider.grab().isNull());
}

TEST(CustomGradientSliderTest, FractionIsNothingForUnusableLengthsOrPositions)
{
    EXPECT_EQ(TrackSlider::fractionAt(50, 200), 0.25);
    EXPECT_EQ(TrackSlider::fractionAt(-1, 200), 0.0);
    EXPECT_EQ(TrackSlider::fractionAt(500, 200), 1.0);
    EXPECT_EQ(TrackSlider::fractionAt(10, 0), std::nullopt);
    EXPECT_EQ(TrackSlider::fractionAt(10, -4), std::nullopt);
    EXPECT_EQ(TrackSlider::fractionAt(NAN, 200), std::nullopt);
    EXPECT_EQ(TrackSlider::fractionAt(10, INFINITY), std::nullopt);
}

TEST_F(SliderFixture, ArrowKeysStepAndHomeEndReachTheEnds)
{
    slider.setKeyboardStep(1.0 / 360);
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_NEAR(value, 91, 1e-9);
    QTest::keyClick(&slider, Qt::Key_Home);
    EXPECT_EQ(value, 0);
    QTest::keyClick(&slider, Qt::Key_Left);
    EXPECT_EQ(value, 0);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(value, 360);
}

TEST_F(SliderFixture, TheKnobIsDrawnWhereTheValueIsAndOutsideTheTrackForValuesOutsideTheRange)
{
    // The white ring's left edge sits at U × value / max + 2.
    auto ringColumn = [this] {
        const QImage image = slider.grab().toImage();
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, 10);
            if (c.red() > 200 && c.green() > 200 && c.blue() > 200)
                return x;
        }
        return -1;
    };
    value = 0;
    const int atStart = ringColumn();
    value = 180;
    const int atMiddle = ringColumn();
    EXPECT_NEAR(atMiddle - atStart, 100, 2);
    value = 720; // outside: drawn beyond the track's right end, so no ring is on the track
    EXPECT_EQ(ringColumn(), -1);
}
