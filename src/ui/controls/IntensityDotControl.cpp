#include "ui/controls/IntensityDotControl.h"

#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pigmo {

IntensityDotControl::IntensityDotControl(Binding<double> currentValue, std::vector<double> values, double height,
                                         QWidget* parent)
    : QWidget(parent)
    , value_(std::move(currentValue))
    , values_(std::move(values))
    , height_(height)
{
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

QSize IntensityDotControl::sizeHint() const
{
    const double n = double(values_.size());
    const double width = n == 0 ? 0 : n * height_ + (n - 1) * spacing;
    // Two points of room on each side for the focus ring.
    return {int(std::ceil(width)) + 4, int(std::ceil(height_)) + 4};
}

QRectF IntensityDotControl::dotRect(int index) const
{
    return {2 + index * (height_ + spacing), 2, height_, height_};
}

int IntensityDotControl::selectedIndex() const
{
    const double current = value_.get();
    const auto it = std::find(values_.begin(), values_.end(), current);
    return it == values_.end() ? -1 : int(it - values_.begin());
}

void IntensityDotControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int selected = selectedIndex();
    for (int i = 0; i < int(values_.size()); ++i) {
        const QRectF dot = dotRect(i);
        painter.setPen(Qt::NoPen);
        painter.setBrush(ui::primaryColor(*this, std::clamp(values_[size_t(i)] - 0.3, 0.0, 1.0)));
        painter.drawEllipse(dot);
        if (i == selected) {
            QPen ring(ui::primaryColor(*this), 2);
            ring.setMiterLimit(10);
            painter.setPen(ring);
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(dot.adjusted(1, 1, -1, -1));
        }
    }
    ui::drawFocusRing(painter, *this, QRectF(rect()), height() / 2.0);
}

void IntensityDotControl::select(int index)
{
    if (index < 0 || index >= int(values_.size()))
        return;
    value_.set(values_[size_t(index)]);
    update();
}

void IntensityDotControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    for (int i = 0; i < int(values_.size()); ++i) {
        if (dotRect(i).contains(event->position())) {
            select(i);
            return;
        }
    }
}

void IntensityDotControl::keyPressEvent(QKeyEvent* event)
{
    const int selected = selectedIndex();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        return select(selected < 0 ? 0 : std::max(selected - 1, 0));
    case Qt::Key_Right:
    case Qt::Key_Up:
        return select(selected < 0 ? 0 : std::min(selected + 1, int(values_.size()) - 1));
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace pigmo
