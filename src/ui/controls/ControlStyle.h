#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>

class QAbstractScrollArea;
class QPainter;
class QWidget;

namespace pigmo::ui {

// The text colour of the widget's palette at `opacity` of its own alpha: "primary" is 1, "secondary" 0.5,
// "tertiary" 0.25, and "an N % tint" is N / 100.
QColor primaryColor(const QWidget& widget, double opacity = 1.0);
QColor secondaryColor(const QWidget& widget);
QColor tertiaryColor(const QWidget& widget);
// The quaternary foreground style: the text colour at 10 % of its alpha.
QColor quaternaryColor(const QWidget& widget);

// The interface's text styles; 1 pt is one device-independent pixel.
enum class TextStyle { caption, callout, body, title3 };
QFont textFont(TextStyle style, QFont::Weight weight = QFont::Normal);
QFont systemFont(double size, QFont::Weight weight = QFont::Normal);

// Gives a scrolling area's vertical scroll bar the slim look of a scroll indicator: a thin rounded handle on
// no track, with no arrow buttons, so that it takes little of the content's width.
void useSlimScrollBar(QAbstractScrollArea* scrollArea);

// A rounded rectangle with smooth ("continuous") corners.
QPainterPath continuousRoundedRect(const QRectF& rect, double radius);

// The device pixel ratio of what `painter` draws on: the screen's when a widget paints itself, the
// image's when a widget is rendered into an image of another density. Pictures made for a paint are made at
// this ratio, not at the widget's own.
qreal paintingPixelRatio(const QPainter& painter);

// Draws `widget` and its children at `opacity` (0 to 1). At full opacity the widget carries no effect: an
// effect costs an off-screen pass on every paint, and a widget drawn through `QWidget::render` (grabs,
// screenshots) with an idle effect lands at a wrong offset.
void setOpacity(QWidget& widget, double opacity);
double opacityOf(const QWidget& widget);

} // namespace pigmo::ui

namespace pigmo {
struct Color;
}

namespace pigmo::ui {

// A display colour as a Qt colour, channels limited to 0...1 (a channel that is not a number gives 0).
QColor qColor(const Color& color);
// A Qt colour as a display colour.
Color displayColor(const QColor& color);

} // namespace pigmo::ui

#include <functional>

namespace pigmo::ui {

// A colour that may follow the light or dark appearance, resolved against a widget when it is drawn.
using ThemeColor = std::function<QColor(const QWidget& widget)>;
// The text colour at `opacity`.
ThemeColor primary(double opacity = 1.0);
// The window background of the widget's palette.
ThemeColor windowBackground();
// One colour whatever the appearance.
ThemeColor fixedColor(const QColor& color);

} // namespace pigmo::ui
