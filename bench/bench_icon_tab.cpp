// The icon tab: the first paint of the whole Lucide catalogue (target: at most 50 ms), one search keystroke
// to new results (at most 5 ms, exact and prefix words), and scrolling the emoji catalogue, which draws only
// the visible cells (the counters give the cells painted and the glyphs made per screenful).
#include "ui/editor/IconTab.h"

#include "ui/editor/EditorTestServices.h"
#include "ui/editor/GlyphGrid.h"
#include "ui/editor/LazyImageCache.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>

namespace {

using pigmo::IconTab;

struct Fixture {
    pigmo::test::EditorTestServices services;
    std::optional<pigmo::Icon> selected;

    std::unique_ptr<IconTab> searchTab(pigmo::LazyImageCache* cache = nullptr)
    {
        auto tab = std::make_unique<IconTab>(pigmo::Binding<std::optional<pigmo::Icon>>::of(selected),
                                             QStringLiteral("Projects"), services.services(), cache);
        tab->setTopTab(IconTab::TopTab::search);
        tab->resize(400, 600);
        return tab;
    }
};

void BM_IconTabLucideCatalogueFirstPaint(benchmark::State& state)
{
    Fixture fixture;
    fixture.services.smartIcons(); // the index is built before timing
    for (auto _ : state) {
        pigmo::LazyImageCache cache(fixture.services.executors.cpu());
        auto tab = fixture.searchTab(&cache);
        tab->show();
        tab->repaint(); // synchronous: layout and the first paint of every visible cell
        state.PauseTiming();
        tab.reset();
        cache.waitUntilIdle(10000);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_IconTabLucideCatalogueFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_IconSearchKeystroke(benchmark::State& state)
{
    const bool prefix = state.range(0) == 1;
    Fixture fixture;
    auto tab = fixture.searchTab();
    tab->show();
    // Alternating between two texts, each one keystroke from the other.
    const QString a = prefix ? QStringLiteral("calen") : QStringLiteral("folder");
    const QString b = prefix ? QStringLiteral("calend") : QStringLiteral("folders");
    bool flip = false;
    for (auto _ : state) {
        tab->setSearchText((flip = !flip) ? a : b);
        tab->searchGrid()->repaint();
    }
    state.SetLabel(prefix ? "prefix" : "exact");
    state.counters["results"] = double(tab->searchGrid()->icons().size());
}
BENCHMARK(BM_IconSearchKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_EmojiCatalogueScroll(benchmark::State& state)
{
    Fixture fixture;
    auto tab = fixture.searchTab();
    tab->setSearchLibrary(pigmo::IconLibrary::emoji);
    tab->show();
    QApplication::processEvents();
    QScrollBar* bar = tab->searchScrollArea()->verticalScrollBar();
    const int page = tab->searchScrollArea()->viewport()->height();
    int frames = 0, painted = 0;
    const int madeBefore = tab->imageCache().madeCount();
    for (auto _ : state) {
        bar->setValue(bar->value() + page >= bar->maximum() ? 0 : bar->value() + page);
        tab->searchScrollArea()->viewport()->repaint();
        painted += tab->searchGrid()->paintedCellCount();
        ++frames;
    }
    state.counters["catalogue"] = double(tab->searchGrid()->icons().size());
    state.counters["cells_painted_per_screen"] = double(painted) / frames;
    state.counters["glyphs_made_per_screen"] = double(tab->imageCache().madeCount() - madeBefore) / frames;
    tab->imageCache().waitUntilIdle(30000);
}
BENCHMARK(BM_EmojiCatalogueScroll)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(60);

} // namespace
