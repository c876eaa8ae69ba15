#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>

namespace pigmo {

// A switch-style toggle: a capsule track with a round knob, on at the right in the highlight colour. Click
// or Space flips it and emits `toggled` and `clicked`; `setChecked` from the program moves it silently
// (no `clicked`). A disabled switch still shows its value, dimmed, and takes no input.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr QSize size{38, 22};

    explicit ToggleSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override { return size; }
    QSize minimumSizeHint() const override { return size; }
    // Where the knob stands, 0 (off) ... 1 (on); follows the value through a short animation.
    double knobPosition() const { return knob_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;

private:
    QVariantAnimation animation_;
    double knob_ = 0;
};

} // namespace pigmo
