#include "ui/controls/Spinner.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace pigmo;

TEST(SpinnerTest, TurnsOnlyWhileShown)
{
    Spinner spinner(20);
    EXPECT_FALSE(spinner.isSpinning());
    spinner.show();
    EXPECT_TRUE(spinner.isSpinning());
    const int start = spinner.phase();
    QTRY_VERIFY_WITH_TIMEOUT(spinner.phase() != start, 1000);
    spinner.hide();
    EXPECT_FALSE(spinner.isSpinning());
    EXPECT_EQ(spinner.size(), QSize(20, 20));
}

TEST(SpinnerTest, TheBrightestSpokeFollowsThePhase)
{
    Spinner spinner(40);
    const QImage image = spinner.grab().toImage();
    // Phase 0: the spoke straight up is drawn in full colour, the one just after it faintest.
    const int up = image.pixelColor(20, 4).lightness();
    const int right = image.pixelColor(36, 20).lightness();
    const int between = image.pixelColor(20, 20).lightness(); // the empty centre
    EXPECT_LT(up, right);
    EXPECT_LT(right, between);
}
