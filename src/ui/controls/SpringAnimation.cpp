#include "ui/controls/SpringAnimation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pigmo {

double Spring::value(double seconds) const
{
    if (!(response > 0) || seconds <= 0)
        return seconds <= 0 ? 0.0 : 1.0;
    const double omega = 2 * std::numbers::pi / response;
    const double zeta = std::max(dampingFraction, 0.0);
    const double t = seconds;
    if (zeta < 1) {
        const double omegaD = omega * std::sqrt(1 - zeta * zeta);
        return 1 - std::exp(-zeta * omega * t) * (std::cos(omegaD * t) + zeta * omega / omegaD * std::sin(omegaD * t));
    }
    if (zeta == 1)
        return 1 - std::exp(-omega * t) * (1 + omega * t);
    const double root = omega * std::sqrt(zeta * zeta - 1);
    const double r1 = -zeta * omega + root, r2 = -zeta * omega - root;
    return 1 - (r2 * std::exp(r1 * t) - r1 * std::exp(r2 * t)) / (r2 - r1);
}

int Spring::settlingMilliseconds() const
{
    // The last millisecond at which the spring was still more than 0.1 % away from its end, within a
    // generous bound of ten seconds.
    int last = 0;
    for (int ms = 1; ms <= 10000; ++ms)
        if (std::abs(1 - value(ms / 1000.0)) > 0.001)
            last = ms;
    return last + 1;
}

SpringAnimation::SpringAnimation(Spring spring, QObject* parent)
    : QVariantAnimation(parent)
    , spring_(spring)
{
    setDuration(spring_.settlingMilliseconds());
    setEasingCurve(QEasingCurve::Linear);
}

QVariant SpringAnimation::interpolated(const QVariant& from, const QVariant& to, qreal progress) const
{
    const double position = progress >= 1 ? 1.0 : spring_.value(progress * duration() / 1000.0);
    return QVariantAnimation::interpolated(from, to, position);
}

} // namespace pigmo
