#include "ui/controls/CustomGradientSlider.h"

#include "ui/controls/ControlStyle.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pigmo {

CustomGradientSlider::CustomGradientSlider(Binding<double> value, double maxValue, const std::vector<Color>& gradient,
                                           double trackHeight, QWidget* parent)
    : TrackSlider(trackHeight, parent)
    , value_(std::move(value))
    , maxValue_(maxValue)
{
    setGradient(gradient);
}

void CustomGradientSlider::setGradient(const std::vector<Color>& gradient)
{
    stops_.clear();
    const size_t n = gradient.size();
    for (size_t i = 0; i < n; ++i) {
        const Color& c = gradient[i];
        const double at = n == 1 ? 0.0 : double(i) / double(n - 1);
        stops_.append(
            {at, QColor::fromRgbF(float(std::clamp(c.red, 0.0, 1.0)), float(std::clamp(c.green, 0.0, 1.0)),
                                  float(std::clamp(c.blue, 0.0, 1.0)), float(std::clamp(c.opacity, 0.0, 1.0)))});
    }
    update();
}

double CustomGradientSlider::fraction() const
{
    if (!spanIsUsable())
        return 0;
    return value_.get() / maxValue_;
}

bool CustomGradientSlider::spanIsUsable() const
{
    return std::isfinite(maxValue_) && maxValue_ != 0;
}

void CustomGradientSlider::writeFraction(double fraction)
{
    value_.set(maxValue_ * fraction);
}

void CustomGradientSlider::paintTrack(QPainter& painter, const QRectF& track, double knobOffset)
{
    QLinearGradient fill(track.topLeft(), track.topRight());
    fill.setStops(stops_);
    painter.setPen(Qt::NoPen);
    painter.setBrush(stops_.isEmpty() ? QBrush(Qt::transparent) : QBrush(fill));
    painter.drawPath(ui::continuousRoundedRect(track, track.height() / 2));

    const double side = track.height() - 4;
    const QRectF knob(track.left() + knobOffset + 2, track.top() + 2, side, side);
    QPen ring(QColor::fromRgbF(1, 1, 1, 0.8f), 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    ring.setMiterLimit(10);
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(knob.adjusted(1, 1, -1, -1));
}

} // namespace pigmo
