// The preview column: building it for 50 folders (target: at most 30 ms), and listing the siblings of a
// parent with 5,000 subfolders, which runs on a worker thread (the GUI thread only asks and publishes).
#include "ui/editor/FolderPreviewColumn.h"

#include "base/Executors.h"
#include "services/LocalizationManager.h"
#include "ui/editor/FolderLocation.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {

using pigmo::FolderPreviewColumn;

FolderPreviewColumn::Actions ignoring()
{
    const auto one = [](const pigmo::PreviewData&) {};
    const auto none = [] {};
    return {one, one, [](const QList<QUrl>&) {}, none, none, one, one, one, none, none, none};
}

struct Parent {
    QTemporaryDir root{QDir::homePath() + QStringLiteral("/bench-column-XXXXXX")};
    explicit Parent(int subfolders)
    {
        for (int i = 0; i < subfolders; ++i)
            QDir(root.path()).mkdir(QStringLiteral("Folder %1").arg(i, 5, 10, QLatin1Char('0')));
    }
};

void BM_PreviewColumnBuildFiftyFolders(benchmark::State& state)
{
    Parent parent(50);
    pigmo::LocalizationManager localization(QStringList{QStringLiteral("en")});
    pigmo::Executors executors;
    QImage image(512, 512, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(40, 120, 220));
    QList<pigmo::PreviewData> previews;
    for (int i = 0; i < 50; ++i)
        previews.append(
            {image,
             QUrl::fromLocalFile(parent.root.filePath(QStringLiteral("Folder %1").arg(i, 5, 10, QLatin1Char('0')))),
             i == 0, pigmo::SmartLoadingState::idle});
    for (auto _ : state) {
        FolderPreviewColumn column(ignoring(), localization, executors);
        column.setPreviews(previews);
        column.resize(360, 700);
        column.show();
        column.repaint();
        state.PauseTiming();
        while (column.siblings().isListing())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PreviewColumnBuildFiftyFolders)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SiblingListingOnWorker(benchmark::State& state)
{
    Parent parent(5000);
    for (auto _ : state)
        benchmark::DoNotOptimize(pigmo::FolderLocation::listSiblings(parent.root.path(), {}));
    state.counters["subfolders"] = 5000;
}
BENCHMARK(BM_SiblingListingOnWorker)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SiblingListingGuiThreadShare(benchmark::State& state)
{
    Parent parent(5000);
    pigmo::Executors executors;
    pigmo::SiblingFolders siblings(executors.io());
    const QString other = QDir::tempPath();
    bool flip = false;
    for (auto _ : state) {
        // What the GUI thread spends: asking for a listing of a new parent (the listing itself runs elsewhere).
        siblings.update((flip = !flip) ? parent.root.path() : other, {});
        state.PauseTiming();
        while (siblings.isListing())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        state.ResumeTiming();
    }
    state.counters["published"] = double(siblings.folders().size());
}
BENCHMARK(BM_SiblingListingGuiThreadShare)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(20);

} // namespace
