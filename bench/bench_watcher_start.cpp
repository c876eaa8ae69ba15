// Starting the folder watcher over a tree of 20,000 directories (target: at most 1 s).
#include "platform/DirectoryEventSource.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {

void BM_WatcherStart(benchmark::State& state)
{
    QTemporaryDir tree(QDir::currentPath() + QStringLiteral("/bench-tree-XXXXXX"));
    for (int a = 0; a < 20; ++a)
        for (int b = 0; b < 20; ++b)
            for (int c = 0; c < 50; ++c)
                QDir().mkpath(QStringLiteral("%1/a%2/b%3/c%4").arg(tree.path()).arg(a).arg(b).arg(c));
    pigmo::DirectoryEventSource source({QStringLiteral("/proc")});
    for (auto _ : state) {
        source.start({tree.path()});
        benchmark::DoNotOptimize(source.watchCount());
        source.stop();
    }
    state.counters["directories"] = 20 * 20 * 50 + 20 * 20 + 20 + 1;
}
BENCHMARK(BM_WatcherStart)->Unit(benchmark::kMillisecond);

} // namespace
