// The main view's two heavy moments: applying the styles of 100 folders through the real path (every icon
// set, attribute and history written; target at most 2 s, the GUI thread never still for more than 16 ms) and opening
// 100 handed-over folders into the editor (target at most 150 ms to the first paint).
#include "ui/main/MainView.h"

#include "base/Log.h"
#include "platform/FolderIcons.h"
#include "services/FolderStyler.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "ui/editor/EditorTestServices.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <ctime>

namespace {

QList<pigmo::Folder> makeFolders(const QTemporaryDir& root, int count)
{
    QList<pigmo::Folder> folders;
    for (int i = 0; i < count; ++i) {
        const QString path = root.filePath(QStringLiteral("folder %1").arg(i));
        QDir().mkpath(path);
        folders.append(pigmo::Folder::unchecked(path));
    }
    return folders;
}

// CPU time this thread has used, in milliseconds.
double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The longest wall-clock gap between two turns of the GUI thread's event loop, and the longest CPU time that thread
// spent between two turns. On a busy machine the first also counts time the thread waited for a core; the second is the
// work of one turn alone.
struct TurnGaps {
    qint64 longestWall = 0;
    double longestCpu = 0;
};

void BM_ApplyHundredFolders(benchmark::State& state)
{
    QTemporaryDir root(QDir::homePath() + QStringLiteral("/bench-apply-XXXXXX"));
    const QList<pigmo::Folder> folders = makeFolders(root, 100);
    pigmo::test::EditorTestServices services;
    pigmo::FolderStyler styler(services.executors, services.history, services.attributes, services.smartIcons());
    pigmo::MainView view(
        std::make_unique<pigmo::ColorizationModelsGroup>(folders, false, services.services().colorization(&styler)),
        services.services());
    view.show();
    // The first gvfs call starts its daemon; that start is not the view's.
    benchmark::DoNotOptimize(pigmo::FolderIcons::icon(folders.first().path()));
    TurnGaps gaps;
    double guiCpu = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(&view, &pigmo::MainView::applyFinished, &loop, &QEventLoop::quit);
        // A 1 ms timer runs on every turn of the event loop that is free for 1 ms: the longest gap between two
        // runs is the longest stall of the GUI thread (to within 1 ms), and the loop still sleeps when it has
        // nothing to do, so the thread's CPU time is the apply's. The call of `applyAll` is one turn too.
        QElapsedTimer sinceLastTurn;
        double cpuAtLastTurn = threadCpuMilliseconds();
        const double cpuAtStart = cpuAtLastTurn;
        const auto turn = [&] {
            gaps.longestWall = std::max(gaps.longestWall, sinceLastTurn.restart());
            const double cpu = threadCpuMilliseconds();
            gaps.longestCpu = std::max(gaps.longestCpu, cpu - cpuAtLastTurn);
            cpuAtLastTurn = cpu;
        };
        QTimer heartbeat;
        heartbeat.setTimerType(Qt::PreciseTimer);
        heartbeat.setInterval(1);
        QObject::connect(&heartbeat, &QTimer::timeout, turn);
        heartbeat.start();
        sinceLastTurn.start();
        view.applyAll();
        turn();
        loop.exec();
        heartbeat.stop();
        guiCpu += threadCpuMilliseconds() - cpuAtStart;
        // The apply's history batch is written by the store's writer thread: done when it is on disk.
        services.history.waitForWrites();
        if (!view.lastApplyFailures().isEmpty())
            state.SkipWithError("a folder refused its icon");
    }
    state.counters["longest_gui_stall_ms"] = double(gaps.longestWall);
    state.counters["longest_gui_turn_cpu_ms"] = gaps.longestCpu;
    state.counters["gui_cpu_ms"] = benchmark::Counter(guiCpu, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ApplyHundredFolders)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenHundredFoldersToFirstPaint(benchmark::State& state)
{
    QTemporaryDir root(QDir::homePath() + QStringLiteral("/bench-open-XXXXXX"));
    const QList<pigmo::Folder> folders = makeFolders(root, 100);
    pigmo::test::EditorTestServices services;
    pigmo::FolderStyler styler(services.executors, services.history, services.attributes, services.smartIcons());
    for (auto _ : state) {
        // As handed over: folders without a style start their smart styling.
        pigmo::MainView view(folders, false, &styler, services.services());
        view.show();
        benchmark::DoNotOptimize(view.grab());
    }
}
BENCHMARK(BM_OpenHundredFoldersToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
