#pragma once

class QWidget;

namespace pigmo::ui {

// Makes the custom controls readable by assistive technologies as stock ones are:
// - a segmented picker is a page tab list whose segments are page tabs (named by their labels, selected when
//   their item is the bound one, pressed through their action), as the tabs of a stock tab bar;
// - a `TabButton` is a page tab, selected while checked, and a `TabBar` the page tab list of its buttons;
// - a colour swatch or symbol button that takes neither the focus nor the mouse only shows a picture, and is
//   a picture (decided when assistive technologies first reach it).
// Installed once, by the first such control made; further calls do nothing.
void installAccessibleControls();

// Tells assistive technologies that the selection of `picker` moved from segment `from` to segment `to`
// (-1: none): both segments changed their selected state, and the new one has the focus when the picker has
// it.
void notifySegmentSelection(QWidget& picker, int from, int to);

} // namespace pigmo::ui
