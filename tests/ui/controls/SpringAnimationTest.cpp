#include "ui/controls/SpringAnimation.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cmath>

using namespace pigmo;

TEST(SpringAnimationTest, AnUnderdampedSpringOvershootsAndSettlesWithinItsDuration)
{
    const Spring spring{0.5, 0.6};
    EXPECT_EQ(spring.value(0), 0.0);
    double peak = 0;
    for (int ms = 0; ms < 1000; ++ms)
        peak = std::max(peak, spring.value(ms / 1000.0));
    EXPECT_GT(peak, 1.05);
    const int settle = spring.settlingMilliseconds();
    EXPECT_GT(settle, 300);
    EXPECT_LT(settle, 3000);
    for (int ms = settle; ms < settle + 500; ms += 7)
        EXPECT_LT(std::abs(1 - spring.value(ms / 1000.0)), 0.001) << ms;
}

TEST(SpringAnimationTest, CriticalAndOverdampedSpringsNeverOvershoot)
{
    for (double damping : {1.0, 1.6}) {
        const Spring spring{0.4, damping};
        double last = 0;
        for (int ms = 1; ms < 3000; ++ms) {
            const double v = spring.value(ms / 1000.0);
            EXPECT_LE(v, 1.0 + 1e-12);
            EXPECT_GE(v, last - 1e-12);
            last = v;
        }
        EXPECT_LT(std::abs(1 - spring.value(spring.settlingMilliseconds() / 1000.0)), 0.001);
    }
}

TEST(SpringAnimationTest, TheAnimationRunsForTheSettlingTimeAndEndsOnItsEndValue)
{
    SpringAnimation animation(Spring{0.3, 0.7});
    EXPECT_EQ(animation.duration(), animation.spring().settlingMilliseconds());
    animation.setStartValue(10.0);
    animation.setEndValue(20.0);
    double highest = 0;
    QObject::connect(&animation, &QVariantAnimation::valueChanged,
                     [&highest](const QVariant& value) { highest = std::max(highest, value.toDouble()); });
    animation.start();
    QTRY_VERIFY_WITH_TIMEOUT(animation.state() == QAbstractAnimation::Stopped, 5000);
    EXPECT_EQ(animation.currentValue().toDouble(), 20.0);
    EXPECT_GT(highest, 20.0); // it overshot on the way
}
