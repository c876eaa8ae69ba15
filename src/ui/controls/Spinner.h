#pragma once

#include <QTimer>
#include <QWidget>

namespace pigmo {

// The interface's activity indicator: twelve spokes in the text colour, the brightest one turning once a
// second while the spinner is shown.
class Spinner : public QWidget {
    Q_OBJECT

public:
    static constexpr int spokes = 12;

    explicit Spinner(double diameter = 16, QWidget* parent = nullptr);

    // The spoke drawn brightest, 0 ... spokes - 1.
    int phase() const { return phase_; }
    bool isSpinning() const { return timer_.isActive(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    double diameter_;
    int phase_ = 0;
    QTimer timer_;
};

} // namespace pigmo
