// The colour tab's two hot paths: a slider tick, from the drag to the new preview image of the current
// folder (target: at most 4 ms), and building the tab for a folder whose history log holds 10,000 entries
// (target: at most 20 ms).
#include "base/Folder.h"
#include "catalogue/IconsModel.h"
#include "services/ColorizationViewModel.h"
#include "services/LocalizationManager.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/HistoryLogEntry.h"
#include "support/CoreServices.h"
#include "ui/controls/CustomGradientSlider.h"
#include "ui/controls/HSLSlider.h"
#include "ui/editor/ColorTab.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace pigmo;

std::shared_ptr<ColorizationViewModel> styledFolder(test::CoreServices& services, const QTemporaryDir& folder)
{
    auto model = ColorizationViewModel::create(*Folder::fromPath(folder.path()), false, services.colorization());
    model->setColor({28, 85, 55});
    model->setIcon(services.icons.lucideIcon(QStringLiteral("folder-code")));
    return model;
}

// A history log of `count` entries in the scratch home. Its hues fall into few buckets, so finding the
// recent colours walks the whole log.
void writeHistory(const ColorizationHistoryStore& store, int count)
{
    QList<HistoryLogEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append({QStringLiteral("/home/user/Folder %1").arg(i),
                        ColorizationData{HSL{double(i % 8) * 5, 70, 50}, 0.6, std::nullopt, 170, IconStyle::vibrant()},
                        historyTimestampNow()});
    QFile file(QDir(store.storageDirectory()).filePath(ColorizationHistoryStore::logFileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(json::encodeLog(entries).value()) < 0)
        std::abort();
}

void BM_ColorTabSliderTick(benchmark::State& state)
{
    QTemporaryDir folder(QDir::homePath() + QStringLiteral("/bench-tab-XXXXXX"));
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    ColorizationHistoryStore store;
    test::CoreServices services;
    auto model = styledFolder(services, folder);
    ColorTab tab(model, store, localization);
    tab.resize(380, 460);
    tab.show();
    CustomGradientSlider* hue = tab.slider(HSLComponent::hue)->slider();
    const double usable = hue->usableLength();
    int step = 0;
    for (auto _ : state) {
        const qint64 before = model->image().cacheKey();
        hue->dragTo(usable * ((step++ % 97) + 1) / 99.0);
        if (model->image().cacheKey() == before)
            state.SkipWithError("the tick made no new preview");
    }
}
BENCHMARK(BM_ColorTabSliderTick)->Unit(benchmark::kMillisecond);

void BM_ColorTabBuild(benchmark::State& state, bool logLoaded)
{
    QTemporaryDir folder(QDir::homePath() + QStringLiteral("/bench-tab-XXXXXX"));
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    test::CoreServices services;
    auto model = styledFolder(services, folder);
    {
        ColorizationHistoryStore writer;
        writeHistory(writer, 10000);
    }
    ColorizationHistoryStore loaded;
    loaded.loadChronologicalLog();
    for (auto _ : state) {
        if (logLoaded) {
            ColorTab tab(model, loaded, localization);
            benchmark::DoNotOptimize(tab.recent().size());
        } else {
            ColorizationHistoryStore fresh; // the tab loads the log itself
            ColorTab tab(model, fresh, localization);
            benchmark::DoNotOptimize(tab.recent().size());
        }
    }
}
BENCHMARK_CAPTURE(BM_ColorTabBuild, history10000_loaded, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ColorTabBuild, history10000_first_load, false)->Unit(benchmark::kMillisecond);

} // namespace
