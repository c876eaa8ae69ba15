// The onboarding's tutorial animations: one frame decoded and drawn by the view at the size it has in the
// window, and the memory a playing animation holds.

#include "ui/onboarding/LoopingVideoView.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QImage>
#include <QMovie>
#include <QPainter>

namespace {

using pigmo::LoopingVideoView;

// The tutorial screen's animation in a 900 × 560 window: the width less 24 at each side, at 1.6.
constexpr QSize shownSize(852, 532);

// Resident memory of this process in bytes, from /proc/self/statm.
qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

void BM_FrameDecodedAndShown(benchmark::State& state, const char* name)
{
    LoopingVideoView view{QString::fromLatin1(name)};
    if (!view.movie()) {
        state.SkipWithError("animation missing");
        return;
    }
    view.movie()->setPaused(true);
    view.resize(shownSize);
    QImage target(shownSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        if (!view.movie()->jumpToNextFrame())
            view.movie()->jumpToFrame(0);
        QPainter painter(&target);
        view.render(&painter);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK_CAPTURE(BM_FrameDecodedAndShown, drag, "onboarding_drag")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameDecodedAndShown, rightclick, "onboarding_rightclick")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FrameDecodedAndShown, watcher, "onboarding_watcher")->Unit(benchmark::kMillisecond);

// Memory held by a playing animation: resident size with the view shown through a whole loop, less the
// resident size before it was made.
void BM_PlayingAnimationMemory(benchmark::State& state)
{
    for (auto _ : state) {
        const qint64 before = residentBytes();
        LoopingVideoView view{QStringLiteral("onboarding_drag")};
        view.movie()->setPaused(true);
        view.resize(shownSize);
        QImage target(shownSize, QImage::Format_ARGB32_Premultiplied);
        qint64 highest = 0;
        for (int i = 0; i < view.movie()->frameCount() + 1; ++i) {
            if (!view.movie()->jumpToNextFrame())
                view.movie()->jumpToFrame(0);
            QPainter painter(&target);
            view.render(&painter);
            painter.end();
            highest = std::max(highest, residentBytes());
        }
        state.counters["MB"] = double(highest - before) / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_PlayingAnimationMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
