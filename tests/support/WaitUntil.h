#pragma once

#include <QElapsedTimer>
#include <QTest>

namespace pigmo::test {

// Runs the event loop until `done` holds or `milliseconds` pass; whether it held.
template <typename Condition>
bool waitUntil(Condition done, int milliseconds = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds)
        QTest::qWait(10);
    return done();
}

} // namespace pigmo::test
