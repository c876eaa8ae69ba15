#pragma once

#include <QWidget>

#include <optional>

namespace pigmo {

// What the horizontal sliders share: a track as high as the control, a knob that travels the usable length
// U = width - height, and pointer and keyboard input that turn a position into a fraction of the span.
//
// A drag at x gives the fraction clamp(x, 0, U) / U. When U is not positive, or the span is empty or not a
// finite number, the drag is ignored: no value is written, so no division by zero ever reaches a model.
class TrackSlider : public QWidget {
    Q_OBJECT

public:
    // The fraction a pointer at `x` gives on a track of `usableLength`, or nothing when that length is not
    // positive or `x` is not a finite number.
    static std::optional<double> fractionAt(double x, double usableLength);

    double usableLength() const { return width() - trackHeight_; }
    double trackHeight() const { return trackHeight_; }
    // The step of one arrow key, as a fraction of the span.
    void setKeyboardStep(double fraction) { keyboardStep_ = fraction; }

    // Writes the value a pointer at `x` gives, as a drag does; false when nothing was written.
    bool dragTo(double x);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // True on every change of a drag, false when the drag ends.
    void editingChanged(bool editing);

protected:
    TrackSlider(double trackHeight, QWidget* parent);

    // The bound value as a fraction of the span: unclamped (a value outside the span is shown where it
    // is), 0 when it cannot be computed.
    virtual double fraction() const = 0;
    // Whether the span can be divided by (not empty, finite).
    virtual bool spanIsUsable() const = 0;
    // Writes the value at `fraction` (0...1) of the span.
    virtual void writeFraction(double fraction) = 0;
    virtual void paintTrack(QPainter& painter, const QRectF& track, double knobOffset) = 0;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void moveByKeyboard(double target);

    double trackHeight_;
    double keyboardStep_ = 0.01;
    bool dragging_ = false;
};

} // namespace pigmo
