// Styling one new folder end to end: siblings, glyph, render, icon, attribute (target: at most 30 ms).
#include "services/SmartStyling.h"
#include "smart/SmartIconService.h"

#include "base/Log.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

namespace {

void BM_StyleNewFolder(benchmark::State& state)
{
    pigmo::SmartIconService::shared().waitUntilReady(std::chrono::seconds(60));
    QTemporaryDir parent(QDir::homePath() + QStringLiteral("/bench-style-XXXXXX"));
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = parent.path() + QStringLiteral("/Invoices %1").arg(++n);
        QDir().mkdir(path);
        state.ResumeTiming();
        benchmark::DoNotOptimize(pigmo::smart::styleNewFolder(path, QStringLiteral("bench: ")));
    }
}
BENCHMARK(BM_StyleNewFolder)->Unit(benchmark::kMillisecond);

} // namespace
