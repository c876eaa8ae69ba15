#include "ui/controls/Spinner.h"

#include "ui/controls/ControlStyle.h"

#include <QPainter>

#include <cmath>

namespace pigmo {

Spinner::Spinner(double diameter, QWidget* parent)
    : QWidget(parent)
    , diameter_(diameter)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
    timer_.setInterval(1000 / spokes);
    connect(&timer_, &QTimer::timeout, this, [this] {
        phase_ = (phase_ + 1) % spokes;
        update();
    });
}

QSize Spinner::sizeHint() const
{
    const int side = int(std::ceil(diameter_));
    return {side, side};
}

void Spinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const double radius = diameter_ / 2;
    const double thickness = std::max(1.5, diameter_ / 10);
    for (int i = 0; i < spokes; ++i) {
        // The brightest spoke is the current phase; the ones behind it fade.
        const int behind = (phase_ - i + spokes) % spokes;
        QPen pen(ui::primaryColor(*this, 1.0 - 0.75 * behind / (spokes - 1)), thickness, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * i / spokes);
        painter.drawLine(QPointF(0, -radius * 0.5), QPointF(0, -radius + thickness / 2));
        painter.restore();
    }
}

void Spinner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    timer_.start();
}

void Spinner::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    timer_.stop();
}

} // namespace pigmo
