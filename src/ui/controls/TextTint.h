#pragma once

class QWidget;

namespace pigmo::ui {

// Draws the widget's text in the application's text colour at `opacity`, and keeps it so when the
// appearance changes.
void setTextOpacity(QWidget& widget, double opacity);

} // namespace pigmo::ui
