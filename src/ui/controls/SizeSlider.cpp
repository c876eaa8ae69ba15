#include "ui/controls/SizeSlider.h"

#include "ui/controls/ControlStyle.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pigmo {

SizeSlider::SizeSlider(Binding<double> currentValue, double lower, double upper, double height, QWidget* parent)
    : TrackSlider(height, parent)
    , value_(std::move(currentValue))
    , lower_(lower)
    , upper_(upper)
{
}

double SizeSlider::fraction() const
{
    if (!spanIsUsable())
        return 0;
    return (value_.get() - lower_) / (upper_ - lower_);
}

bool SizeSlider::spanIsUsable() const
{
    return std::isfinite(lower_) && std::isfinite(upper_) && std::isfinite(upper_ - lower_) && upper_ != lower_;
}

void SizeSlider::writeFraction(double fraction)
{
    value_.set(lower_ + (upper_ - lower_) * fraction);
}

void SizeSlider::paintTrack(QPainter& painter, const QRectF& track, double knobOffset)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(ui::primaryColor(*this, 0.1));
    painter.drawPath(ui::continuousRoundedRect(track, track.height() / 2));

    const double h = track.height();
    const QPointF centre(track.left() + knobOffset + h / 2, track.center().y());
    QPen ring(ui::primaryColor(*this, 0.8), 2);
    ring.setMiterLimit(10);
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    const double ringRadius = (h - 4) / 2 - 1;
    painter.drawEllipse(centre, ringRadius, ringRadius);

    double f = fraction();
    if (!std::isfinite(f))
        f = 0;
    const double dot = std::max((h - 8) * f, 0.0) / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(ui::primaryColor(*this, 0.8));
    painter.drawEllipse(centre, dot, dot);
}

} // namespace pigmo
