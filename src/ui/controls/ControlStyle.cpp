#include "ui/controls/ControlStyle.h"

#include <QAbstractScrollArea>
#include <QGraphicsOpacityEffect>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>

namespace pigmo::ui {

QColor primaryColor(const QWidget& widget, double opacity)
{
    QColor color = widget.palette().color(QPalette::WindowText);
    color.setAlphaF(float(std::clamp(color.alphaF() * opacity, 0.0, 1.0)));
    return color;
}

QColor secondaryColor(const QWidget& widget)
{
    return primaryColor(widget, 0.5);
}

QColor tertiaryColor(const QWidget& widget)
{
    return primaryColor(widget, 0.25);
}

QColor quaternaryColor(const QWidget& widget)
{
    return primaryColor(widget, 0.1);
}

QFont systemFont(double size, QFont::Weight weight)
{
    QFont font;
    font.setPixelSize(int(size + 0.5));
    font.setWeight(weight);
    return font;
}

QFont textFont(TextStyle style, QFont::Weight weight)
{
    switch (style) {
    case TextStyle::caption:
        return systemFont(11, weight);
    case TextStyle::callout:
        return systemFont(12, weight);
    case TextStyle::body:
        return systemFont(13, weight);
    case TextStyle::title3:
        return systemFont(15, weight);
    }
    return systemFont(13, weight);
}

void useSlimScrollBar(QAbstractScrollArea* scrollArea)
{
    // On the scroll bar alone: a style sheet on the area would restyle every widget inside it.
    scrollArea->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 6px; margin: 2px 0 2px 0; }"
                       "QScrollBar::handle:vertical { background: palette(mid); border-radius: 3px; min-height: 24px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
}

QPainterPath continuousRoundedRect(const QRectF& rect, double radius)
{
    // Corner curves reach 1.28 times further along the edges than a circular arc of the same radius, which
    // gives the smooth shoulder of a continuous corner.
    const double r = std::min({radius, rect.width() / 2, rect.height() / 2});
    if (r <= 0) {
        QPainterPath square;
        square.addRect(rect);
        return square;
    }
    const double reach = std::min({r * 1.28, rect.width() / 2, rect.height() / 2});
    const double l = rect.left(), t = rect.top(), rr = rect.right(), b = rect.bottom();
    QPainterPath path;
    path.moveTo(l + reach, t);
    path.lineTo(rr - reach, t);
    path.cubicTo(rr - reach * 0.36, t, rr, t + reach * 0.36, rr, t + reach);
    path.lineTo(rr, b - reach);
    path.cubicTo(rr, b - reach * 0.36, rr - reach * 0.36, b, rr - reach, b);
    path.lineTo(l + reach, b);
    path.cubicTo(l + reach * 0.36, b, l, b - reach * 0.36, l, b - reach);
    path.lineTo(l, t + reach);
    path.cubicTo(l, t + reach * 0.36, l + reach * 0.36, t, l + reach, t);
    path.closeSubpath();
    return path;
}

qreal paintingPixelRatio(const QPainter& painter)
{
    // A widget rendered into an image paints through a redirection: its painter's device is the widget, its
    // engine's device the image.
    if (const QPaintEngine* engine = painter.paintEngine(); engine && engine->paintDevice())
        return engine->paintDevice()->devicePixelRatioF();
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

} // namespace pigmo::ui

#include "model/HSL.h"

#include <cmath>

namespace pigmo::ui {
namespace {

float channel(double value)
{
    return std::isfinite(value) ? float(std::clamp(value, 0.0, 1.0)) : 0.0f;
}

} // namespace

QColor qColor(const Color& color)
{
    return QColor::fromRgbF(channel(color.red), channel(color.green), channel(color.blue), channel(color.opacity));
}

Color displayColor(const QColor& color)
{
    return {color.redF(), color.greenF(), color.blueF(), color.alphaF()};
}

} // namespace pigmo::ui

namespace pigmo::ui {

ThemeColor primary(double opacity)
{
    return [opacity](const QWidget& widget) { return primaryColor(widget, opacity); };
}

ThemeColor windowBackground()
{
    return [](const QWidget& widget) { return widget.palette().color(QPalette::Window); };
}

ThemeColor fixedColor(const QColor& color)
{
    return [color](const QWidget&) { return color; };
}

void setOpacity(QWidget& widget, double opacity)
{
    if (opacity >= 1) {
        widget.setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget.graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(&widget);
        widget.setGraphicsEffect(effect);
    }
    effect->setOpacity(opacity);
}

double opacityOf(const QWidget& widget)
{
    const auto* effect = qobject_cast<const QGraphicsOpacityEffect*>(widget.graphicsEffect());
    return effect ? effect->opacity() : 1.0;
}

} // namespace pigmo::ui
