// The main view's two heavy moments: applying the styles of 100 folders (every icon set, attribute and
// history written; target at most 2 s, the GUI thread never still for more than 16 ms) and opening 100
// handed-over folders into the editor (target at most 150 ms to the first paint).
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

void BM_ApplyHundredFolders(benchmark::State& state)
{
    QTemporaryDir root(QDir::homePath() + QStringLiteral("/bench-apply-XXXXXX"));
    const QList<pigmo::Folder> folders = makeFolders(root, 100);
    pigmo::test::EditorTestServices services;
    pigmo::FolderStyler styler(services.history, services.attributes, services.smartIcons());
    pigmo::MainView view(
        std::make_unique<pigmo::ColorizationModelsGroup>(folders, false, services.services().colorization(&styler)),
        services.services());
    view.show();
    // The first gvfs call starts its daemon; that start is not the view's.
    benchmark::DoNotOptimize(pigmo::FolderIcons::icon(folders.first().path()));
    qint64 longestGap = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(&view, &pigmo::MainView::applyFinished, &loop, &QEventLoop::quit);
        // A zero timer runs once per turn of the event loop: the longest gap between two runs is the longest
        // stall of the GUI thread.
        QElapsedTimer sinceLastTurn;
        QTimer heartbeat;
        heartbeat.setInterval(0);
        QObject::connect(&heartbeat, &QTimer::timeout,
                         [&] { longestGap = std::max(longestGap, sinceLastTurn.restart()); });
        sinceLastTurn.start();
        heartbeat.start();
        QElapsedTimer call;
        call.start();
        view.applyAll();
        state.counters["apply_call_ms"] = double(call.elapsed());
        loop.exec();
        heartbeat.stop();
        if (!view.lastApplyFailures().isEmpty())
            state.SkipWithError("a folder refused its icon");
    }
    state.counters["longest_gui_stall_ms"] = double(longestGap);
}
BENCHMARK(BM_ApplyHundredFolders)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_OpenHundredFoldersToFirstPaint(benchmark::State& state)
{
    QTemporaryDir root(QDir::homePath() + QStringLiteral("/bench-open-XXXXXX"));
    const QList<pigmo::Folder> folders = makeFolders(root, 100);
    pigmo::test::EditorTestServices services;
    pigmo::FolderStyler styler(services.history, services.attributes, services.smartIcons());
    for (auto _ : state) {
        // As handed over: folders without a style start their smart styling.
        pigmo::MainView view(folders, false, &styler, services.services());
        view.show();
        benchmark::DoNotOptimize(view.grab());
    }
}
BENCHMARK(BM_OpenHundredFoldersToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
