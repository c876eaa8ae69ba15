#pragma once

#include "ui/controls/Binding.h"
#include "ui/controls/TrackSlider.h"

namespace pigmo {

// A slider over a plain track, mapping the track to a closed range; its knob shows the value by the size of
// an inner dot (none at the lower end, 4 points short of the ring at the upper end).
class SizeSlider : public TrackSlider {
    Q_OBJECT

public:
    SizeSlider(Binding<double> currentValue, double lower, double upper, double height, QWidget* parent = nullptr);

    double value() const { return value_.get(); }

protected:
    double fraction() const override;
    bool spanIsUsable() const override;
    void writeFraction(double fraction) override;
    void paintTrack(QPainter& painter, const QRectF& track, double knobOffset) override;

private:
    Binding<double> value_;
    double lower_;
    double upper_;
};

} // namespace pigmo
