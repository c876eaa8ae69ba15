#include "ui/controls/ColorSwatch.h"

#include "ui/controls/AccessibleControls.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"

#include <QPainter>

#include <cmath>

namespace pigmo {

ColorSwatch::ColorSwatch(Shape shape, double side, QWidget* parent)
    : QAbstractButton(parent)
    , shape_(shape)
    , side_(side)
{
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    ui::installAccessibleControls();
}

QSize ColorSwatch::sizeHint() const
{
    const int side = int(std::ceil(side_));
    return {side, side};
}

void ColorSwatch::setColor(const QColor& color)
{
    if (color == color_)
        return;
    color_ = color;
    update();
}

void ColorSwatch::setBorderOpacity(double opacity)
{
    borderOpacity_ = opacity;
    update();
}

void ColorSwatch::setDecorative()
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    unsetCursor();
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(0, 0, side_, side_);
    QPainterPath shape;
    if (shape_ == Shape::circle)
        shape.addEllipse(area);
    else
        shape = ui::continuousRoundedRect(area, 4);
    painter.fillPath(shape, color_);
    if (borderOpacity_ > 0) {
        painter.setPen(QPen(ui::primaryColor(*this, borderOpacity_), 1));
        painter.setBrush(Qt::NoBrush);
        const QRectF inner = area.adjusted(0.5, 0.5, -0.5, -0.5);
        if (shape_ == Shape::circle)
            painter.drawEllipse(inner);
        else
            painter.drawPath(ui::continuousRoundedRect(inner, 3.5));
    }
    ui::drawFocusRing(painter, *this, area, shape_ == Shape::circle ? side_ / 2 : 4);
}

SymbolButton::SymbolButton(const QString& systemName, double side, double symbolSize, QWidget* parent)
    : QAbstractButton(parent)
    , systemName_(systemName)
    , side_(side)
    , symbolSize_(symbolSize)
{
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    ui::installAccessibleControls();
}

QSize SymbolButton::sizeHint() const
{
    const int side = int(std::ceil(side_));
    return {side, side};
}

void SymbolButton::setSymbolOpacity(double opacity)
{
    symbolOpacity_ = opacity;
    update();
}

void SymbolButton::setSymbolColor(const QColor& color)
{
    symbolColor_ = color;
    update();
}

void SymbolButton::setBackgroundOpacity(double opacity)
{
    backgroundOpacity_ = opacity;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(0, 0, side_, side_);
    if (backgroundOpacity_ > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ui::primaryColor(*this, backgroundOpacity_));
        painter.drawEllipse(area);
    }
    if (const std::optional<TemplateImage> symbol = symbolImage(systemName_)) {
        const QColor color = symbolColor_.isValid() ? symbolColor_ : ui::primaryColor(*this, symbolOpacity_);
        const QRectF target(area.center() - QPointF(symbolSize_ / 2, symbolSize_ / 2),
                            QSizeF(symbolSize_, symbolSize_));
        symbol->draw(painter, target, color);
    }
    ui::drawFocusRing(painter, *this, area, side_ / 2);
}

} // namespace pigmo
