#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QMenu;
class QWidget;

namespace pigmo::ui {

// How a pop-up lines up with its anchor across: its left edge on the anchor's left edge, or centred on it.
enum class PopupAlignment { leading, centred };

// The top-left corner, in the coordinates of `available`, of a pop-up of `size` shown next to `anchor`, kept
// inside `available` (a screen's available geometry) as a menu is. It goes `gap` points below the anchor, or
// above it when it fits only there (with room on neither side: on the side with more room, shifted in). A
// leading pop-up that runs past the right edge ends at the anchor's right edge instead; whatever still sticks
// out is shifted in. A pop-up larger than `available` keeps its top-left corner inside.
QPoint popupPosition(const QRect& anchor, const QSize& size, const QRect& available, int gap = 0,
                     PopupAlignment alignment = PopupAlignment::leading);

// Moves `popup` (a top-level pop-up at its final size) next to `anchor`, within the screen that shows the
// anchor's centre (the anchor's window's screen when none does).
void placePopup(QWidget& popup, const QWidget& anchor, int gap = 0, PopupAlignment alignment = PopupAlignment::leading);

// Opens `menu` at `globalPoint` (a click's position) within the screen there (the primary one when none is).
void popUpMenu(QMenu& menu, const QPoint& globalPoint);

} // namespace pigmo::ui
