#pragma once

#include <QVariantAnimation>

namespace pigmo {

// A spring that carries a value from its start (0) to its end (1): `response` is the period of the undamped
// spring in seconds, `dampingFraction` the ratio to critical damping (below 1 it overshoots once or more).
struct Spring {
    double response = 0.55;
    double dampingFraction = 0.825;

    // The spring's position `seconds` after it was let go.
    double value(double seconds) const;
    // The time after which the spring stays within 0.1 % of its end, in whole milliseconds.
    int settlingMilliseconds() const;
};

// The one spring easing of the interface: an animation whose duration is the spring's settling time and
// whose values follow the spring (overshooting the end value where the spring does).
class SpringAnimation : public QVariantAnimation {
    Q_OBJECT

public:
    explicit SpringAnimation(Spring spring = {}, QObject* parent = nullptr);

    const Spring& spring() const { return spring_; }

protected:
    QVariant interpolated(const QVariant& from, const QVariant& to, qreal progress) const override;

private:
    Spring spring_;
};

} // namespace pigmo
