// Styling one new folder end to end through the folder styler: siblings, glyph, render, icon, attribute,
// history (target: at most 30 ms). The benchmark cycles through a fixed set of folders, so the history it
// records into keeps a fixed size and the figure is a steady state.
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/CoreServices.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

namespace {

constexpr int folderCount = 100;

// The same folders for every run the benchmark library makes, so the history never grows past them.
const QList<pigmo::Folder>& benchFolders()
{
    static QTemporaryDir parent(QDir::homePath() + QStringLiteral("/bench-style-XXXXXX"));
    static const QList<pigmo::Folder> folders = [] {
        QList<pigmo::Folder> made;
        for (int i = 1; i <= folderCount; ++i) {
            const QString path = parent.path() + QStringLiteral("/Invoices %1").arg(i);
            QDir().mkdir(path);
            made.append(*pigmo::Folder::fromPath(path));
        }
        return made;
    }();
    return folders;
}

void BM_StyleNewFolder(benchmark::State& state)
{
    pigmo::test::CoreServices services;
    services.smartIcons.waitUntilReady(std::chrono::seconds(60));
    const QList<pigmo::Folder>& folders = benchFolders();
    pigmo::FolderStyler styler(services.executors, services.history, services.attributes, services.smartIcons);
    qsizetype next = 0;
    for (auto _ : state) {
        styler.styleByName(folders[next], QStringLiteral("bench: "));
        styler.waitForIdle();
        next = (next + 1) % folders.size();
    }
    state.counters["history"] = double(services.history.folderStyles().size());
}
BENCHMARK(BM_StyleNewFolder)->Unit(benchmark::kMillisecond);

} // namespace
