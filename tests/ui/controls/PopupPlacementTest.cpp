#include "ui/controls/PopupPlacement.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>

using namespace pigmo;
using ui::PopupAlignment;
using ui::popupPosition;

namespace {

const QRect screen(0, 0, 800, 600);
const QSize popup(300, 316);

QRect placed(const QRect& anchor, PopupAlignment alignment = PopupAlignment::leading, QSize size = popup)
{
    return {popupPosition(anchor, size, screen, 4, alignment), size};
}

} // namespace

TEST(PopupPlacementTest, WithRoomItOpensBelowItsAnchorAlignedOnItsLeftEdge)
{
    EXPECT_EQ(placed({100, 100, 20, 20}).topLeft(), QPoint(100, 124));
    EXPECT_EQ(placed({100, 100, 20, 20}, PopupAlignment::centred).topLeft(), QPoint(0, 124))
        << "centred, then shifted in from the left edge";
    EXPECT_EQ(placed({300, 100, 20, 20}, PopupAlignment::centred).topLeft(), QPoint(160, 124));
}

TEST(PopupPlacementTest, NearTheRightEdgeItEndsWhereTheAnchorEnds)
{
    const QRect anchor(700, 100, 20, 20);
    const QRect at = placed(anchor);
    EXPECT_EQ(at.topLeft(), QPoint(420, 124));
    EXPECT_TRUE(screen.contains(at));
    // An anchor partly off the screen: the flipped pop-up is shifted in.
    EXPECT_EQ(placed({790, 100, 40, 20}).right(), screen.right());
}

TEST(PopupPlacementTest, NearTheBottomItOpensAboveTheAnchor)
{
    const QRect at = placed({100, 500, 20, 20});
    EXPECT_EQ(at.bottom(), 500 - 4 - 1);
    EXPECT_TRUE(screen.contains(at));
}

TEST(PopupPlacementTest, WithRoomOnNeitherSideItTakesTheLargerOneShiftedIn)
{
    const QSize tall(300, 400);
    const QRect nearTop = placed({100, 250, 20, 20}, PopupAlignment::leading, tall);
    EXPECT_EQ(nearTop.bottom(), screen.bottom()) << "more room below";
    const QRect nearBottom = placed({100, 340, 20, 20}, PopupAlignment::leading, tall);
    EXPECT_EQ(nearBottom.top(), 0) << "more room above";
    EXPECT_TRUE(screen.contains(nearTop));
    EXPECT_TRUE(screen.contains(nearBottom));
}

TEST(PopupPlacementTest, APopupLargerThanTheScreenKeepsItsTopLeftCornerOnIt)
{
    EXPECT_EQ(placed({700, 500, 20, 20}, PopupAlignment::leading, {900, 700}).topLeft(), QPoint(0, 0));
}

TEST(PopupPlacementTest, AnchorsAndScreensAwayFromTheOrigin)
{
    const QRect second(1920, 200, 1280, 1024);
    const QPoint at = popupPosition({3150, 1180, 30, 30}, popup, second, 4);
    EXPECT_TRUE(second.contains(QRect(at, popup)));
    EXPECT_EQ(at, QPoint(3180 - 300, 1180 - 4 - 316));
}

TEST(PopupPlacementTest, AMenuOpenedNearTheScreensCornerStaysOnIt)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QMenu menu;
    for (int i = 0; i < 6; ++i)
        menu.addAction(QStringLiteral("An entry of some length %1").arg(i));
    ui::popUpMenu(menu, available.bottomRight() - QPoint(5, 5));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    EXPECT_TRUE(available.contains(menu.frameGeometry()));
    EXPECT_LT(menu.frameGeometry().right(), available.right() - 5) << "opened to the left of the point";
    menu.close();
}
