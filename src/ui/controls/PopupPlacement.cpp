#include "ui/controls/PopupPlacement.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace pigmo::ui {
namespace {

// `start` moved so that [start, start + length) lies inside [low, high), or starts at `low` when it is longer.
int shiftedInside(int start, int length, int low, int high)
{
    return std::max(low, std::min(start, high - length));
}

int leftEdge(const QRect& anchor, int width, const QRect& available, PopupAlignment alignment)
{
    const int right = available.x() + available.width();
    int left = alignment == PopupAlignment::centred ? anchor.x() + (anchor.width() - width) / 2 : anchor.x();
    if (alignment == PopupAlignment::leading && left + width > right)
        left = anchor.x() + anchor.width() - width; // flipped: ends where the anchor ends
    return shiftedInside(left, width, available.x(), right);
}

int topEdge(const QRect& anchor, int height, const QRect& available, int gap)
{
    const int top = available.y();
    const int bottom = available.y() + available.height();
    const int below = anchor.y() + anchor.height() + gap;
    const int above = anchor.y() - gap - height;
    if (below + height <= bottom)
        return below;
    if (above >= top)
        return above;
    const bool moreRoomAbove = anchor.y() - top > bottom - (anchor.y() + anchor.height());
    return shiftedInside(moreRoomAbove ? above : below, height, top, bottom);
}

// The available geometry of the screen showing `globalPoint`, or of `fallback` when no screen shows it.
QRect availableGeometry(const QPoint& globalPoint, const QScreen* fallback)
{
    const QScreen* screen = QGuiApplication::screenAt(globalPoint);
    if (!screen)
        screen = fallback;
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

QPoint popupPosition(const QRect& anchor, const QSize& size, const QRect& available, int gap, PopupAlignment alignment)
{
    return {leftEdge(anchor, size.width(), available, alignment), topEdge(anchor, size.height(), available, gap)};
}

void placePopup(QWidget& popup, const QWidget& anchor, int gap, PopupAlignment alignment)
{
    const QRect anchorRect(anchor.mapToGlobal(QPoint(0, 0)), anchor.size());
    popup.move(popupPosition(anchorRect, popup.size(), availableGeometry(anchorRect.center(), anchor.screen()), gap,
                             alignment));
}

void popUpMenu(QMenu& menu, const QPoint& globalPoint)
{
    menu.popup(popupPosition(QRect(globalPoint, QSize(0, 0)), menu.sizeHint(),
                             availableGeometry(globalPoint, QGuiApplication::primaryScreen())));
}

} // namespace pigmo::ui
