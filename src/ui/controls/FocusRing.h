#pragma once

#include <QRectF>

class QPainter;
class QWidget;

namespace pigmo::ui {

// The one rule of the custom controls' focus rings: a control shows its ring only while it has keyboard
// focus, the focus it got from the keyboard (Tab, Backtab, a shortcut), never after a click.

// Makes `control` tell keyboard focus from any other: focus from Tab, Backtab or a shortcut is keyboard focus;
// a mouse press in the control, or focus given by a click or by the program, is not; the window or a pop-up
// handing the focus back leaves it as it was. Call once, when the control is made.
void followKeyboardFocus(QWidget& control);

// The keyboard moved within `control` (a grid's current cell): its focus is keyboard focus from now on.
void noteKeyboardNavigation(QWidget& control);

// Whether `control` has the focus and it is keyboard focus; false for a control that does not follow it.
bool hasKeyboardFocus(const QWidget& control);

// Draws the focus ring around `rect` in the highlight colour when `control` has keyboard focus, and nothing
// otherwise.
void drawFocusRing(QPainter& painter, const QWidget& control, const QRectF& rect, double radius);

} // namespace pigmo::ui
