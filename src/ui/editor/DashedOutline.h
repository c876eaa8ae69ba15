#pragma once

#include <QWidget>

namespace pigmo {

// The drop highlight laid over a widget while a drag it takes hovers: a rounded rectangle (radius 12)
// `inset` points inside the widget's edges, stroked 3 points wide with the primary colour at `opacity`,
// round caps and joins, dashes of 10 points with gaps of 15. Follows the widget's size and takes no input.
class DashedOutline : public QWidget {
    Q_OBJECT

public:
    DashedOutline(QWidget* covered, double inset, double opacity);

    double inset() const { return inset_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double inset_;
    double opacity_;
};

} // namespace pigmo
