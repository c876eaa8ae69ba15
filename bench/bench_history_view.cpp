// The history page over a 10,000-entry log: from making the page to its first painted picture, with the
// log already in memory and on the first opening of a run (log read from disk first); and the thumbnails a
// whole scroll through the log renders and keeps.

#include "base/Executors.h"
#include "services/LocalizationManager.h"
#include "storage/ColorizationHistoryStore.h"
#include "ui/history/HistoryFixture.h"
#include "ui/history/HistoryModels.h"
#include "ui/history/HistoryView.h"
#include "ui/history/Thumbnails.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QScrollBar>

namespace {

using namespace pigmo;

constexpr int entries = 10000;
constexpr QSize pageSize(900, 500);

ColorizationHistoryStore& storeWithLog()
{
    static ColorizationHistoryStore* store = [] {
        auto* made = new ColorizationHistoryStore;
        test::writeLog(*made, entries, QStringLiteral("/home/bench/Work"));
        made->loadChronologicalLog();
        return made;
    }();
    return *store;
}

LocalizationManager& localization()
{
    static LocalizationManager manager{QStringList{QStringLiteral("en")}};
    return manager;
}

Executors& executors()
{
    static Executors pools;
    return pools;
}

// Makes the page and paints it once, as the window's first frame does.
int openAndPaint(ColorizationHistoryStore& store, QImage& frame)
{
    HistoryView view(store, localization(), executors());
    view.resize(pageSize);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QPainter painter(&frame);
    view.render(&painter);
    painter.end();
    return view.logThumbnails().renderedCount();
}

void BM_HistoryOpenToFirstPaint(benchmark::State& state)
{
    ColorizationHistoryStore& store = storeWithLog();
    QImage frame(pageSize, QImage::Format_ARGB32_Premultiplied);
    int thumbnails = 0;
    for (auto _ : state)
        thumbnails = openAndPaint(store, frame);
    state.counters["thumbnails_started"] = thumbnails;
}
BENCHMARK(BM_HistoryOpenToFirstPaint)->Unit(benchmark::kMillisecond);

// The first opening of a run: the log is read from disk before the first paint.
void BM_HistoryFirstOpeningWithLogRead(benchmark::State& state)
{
    storeWithLog(); // the file exists
    QImage frame(pageSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        ColorizationHistoryStore store;
        store.loadChronologicalLog();
        openAndPaint(store, frame);
    }
}
BENCHMARK(BM_HistoryFirstOpeningWithLogRead)->Unit(benchmark::kMillisecond);

// Scrolling page by page through the whole log: every page's thumbnails render off the GUI thread, and the
// pictures kept stay within the cache's bound.
void BM_HistoryScrollThroughThumbnails(benchmark::State& state)
{
    ColorizationHistoryStore& store = storeWithLog();
    QImage frame(pageSize, QImage::Format_ARGB32_Premultiplied);
    int kept = 0;
    int rendered = 0;
    for (auto _ : state) {
        HistoryView view(store, localization(), executors());
        view.resize(pageSize);
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.show();
        QScrollBar* bar = view.logList()->verticalScrollBar();
        for (int position = 0; position <= bar->maximum(); position += bar->pageStep() * 40) {
            bar->setValue(position);
            QPainter painter(&frame);
            view.render(&painter);
        }
        view.logThumbnails().waitForRenderings();
        kept = view.logThumbnails().cachedCount();
        rendered = view.logThumbnails().renderedCount();
    }
    state.counters["thumbnails_rendered"] = rendered;
    state.counters["thumbnails_kept"] = kept;
    state.counters["thumbnail_bytes_max"] = double(Thumbnails::capacity) * 40 * 40 * 4;
}
BENCHMARK(BM_HistoryScrollThroughThumbnails)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
