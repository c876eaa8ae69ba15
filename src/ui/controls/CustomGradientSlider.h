#pragma once

#include "model/HSL.h"
#include "ui/controls/Binding.h"
#include "ui/controls/TrackSlider.h"

#include <QGradientStops>

#include <vector>

namespace pigmo {

// A slider over a gradient track, mapping the track to 0 ... maxValue. The knob is a white ring.
class CustomGradientSlider : public TrackSlider {
    Q_OBJECT

public:
    CustomGradientSlider(Binding<double> value, double maxValue, const std::vector<Color>& gradient, double trackHeight,
                         QWidget* parent = nullptr);

    double maxValue() const { return maxValue_; }
    double value() const { return value_.get(); }
    // Evenly spaced colours from the left end to the right end of the track.
    void setGradient(const std::vector<Color>& gradient);
    const QGradientStops& gradientStops() const { return stops_; }

protected:
    double fraction() const override;
    bool spanIsUsable() const override;
    void writeFraction(double fraction) override;
    void paintTrack(QPainter& painter, const QRectF& track, double knobOffset) override;

private:
    Binding<double> value_;
    double maxValue_;
    QGradientStops stops_;
};

} // namespace pigmo
