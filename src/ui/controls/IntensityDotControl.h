#pragma once

#include "ui/controls/Binding.h"

#include <QWidget>

#include <vector>

namespace pigmo {

// A row of dots, one per selectable value, filled with the text colour at opacity value - 0.3; the dot whose
// value equals the bound value exactly wears a ring. Clicking a dot, or the arrow keys, select a value.
class IntensityDotControl : public QWidget {
    Q_OBJECT

public:
    static constexpr double spacing = 8;

    IntensityDotControl(Binding<double> currentValue, std::vector<double> values, double height,
                        QWidget* parent = nullptr);

    const std::vector<double>& values() const { return values_; }
    // The index of the dot wearing the ring, -1 when no value equals the bound one.
    int selectedIndex() const;
    // The dot of one value, in the control's coordinates.
    QRectF dotRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void select(int index);

    Binding<double> value_;
    std::vector<double> values_;
    double height_;
};

} // namespace pigmo
