// The keyword index: building it from the bundle (English only, all eleven languages), its memory, and the
// three reads the program makes (a folder-name proposal, the icon tab's exact and prefix searches); and the
// whole proposal of a batch of new folders in one parent.
#include "base/Log.h"
#include "catalogue/IconsModel.h"
#include "smart/KeywordIndex.h"
#include "smart/SmartIconService.h"
#include "smart/SmartProposal.h"
#include "smart/SmartSiblingAnalysis.h"
#include "storage/BundleResources.h"
#include "storage/ExtendedAttributesManager.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pigmo;
using namespace std::chrono_literals;

namespace {

const QSet<QString> allLanguages = {"en", "fr", "it", "de", "es", "pt-BR", "zh-Hans", "ja", "ko", "ru", "cs"};

IndexSources bundleSources(const QSet<QString>& languages)
{
    static const IconsModel catalogues(BundleResources::directory());
    return {{catalogues.lucideIcons(), catalogues.sfIcons(), catalogues.emojisIcons()},
            languages,
            BundleResources::path(QStringLiteral("keywords"))};
}

// A "VmRSS" (resident now) or "VmHWM" (peak resident) figure of /proc/self/status, in MiB.
double statusMiB(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return 0;
}

// Memory of the eleven-language index: the growth of the peak resident size while building (registered
// first, so that no earlier build has grown the heap) and the resident size the finished index keeps.
void BM_IndexMemory(benchmark::State& state)
{
    const IndexSources sources = bundleSources(allLanguages);
    for (auto _ : state) {
        const double residentBefore = statusMiB("VmRSS");
        const double peakBefore = statusMiB("VmHWM");
        auto index = KeywordIndex::build(sources);
        state.counters["peak_growth_MiB"] = statusMiB("VmHWM") - peakBefore;
        state.counters["kept_MiB"] = statusMiB("VmRSS") - residentBefore;
        benchmark::DoNotOptimize(index);
    }
}
BENCHMARK(BM_IndexMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BuildIndex(benchmark::State& state, const QSet<QString>& languages)
{
    const IndexSources sources = bundleSources(languages);
    for (auto _ : state)
        benchmark::DoNotOptimize(KeywordIndex::build(sources));
}
BENCHMARK_CAPTURE(BM_BuildIndex, english, QSet<QString>{"en"})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildIndex, elevenLanguages, allLanguages)->Unit(benchmark::kMillisecond);

SmartIconService& readyService()
{
    static SmartIconService* service = [] {
        auto* s = new SmartIconService([] { return bundleSources(allLanguages); });
        s->waitUntilReady(60s);
        return s;
    }();
    return *service;
}

void BM_FindIcon(benchmark::State& state)
{
    SmartIconService& service = readyService();
    const QStringList names = {"Invoices", "Photos 2023", "Rechnungen", "MyProjects", "Musique", "Deutschland"};
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(service.findIcon(names[i++ % names.size()], {}));
}
BENCHMARK(BM_FindIcon)->Unit(benchmark::kMicrosecond);

void BM_SearchExact18(benchmark::State& state)
{
    SmartIconService& service = readyService();
    const QStringList queries = {"folder", "photo", "music note", "heart"};
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(service.searchIcons(queries[i++ % queries.size()], 18, LibraryFilter::lucide, false));
}
BENCHMARK(BM_SearchExact18)->Unit(benchmark::kMicrosecond);

void BM_SearchPrefix50(benchmark::State& state)
{
    SmartIconService& service = readyService();
    const QStringList queries = {"fol", "ph", "mus", "ca", "he"};
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(service.searchIcons(queries[i++ % queries.size()], 50, LibraryFilter::all, true));
}
BENCHMARK(BM_SearchPrefix50)->Unit(benchmark::kMicrosecond);

// The styles of N new folders in one parent proposed as a batch proposes them (the parent listed once, each
// style counting for the folders after it), without drawing or writing them: the part of a batch whose
// cost could grow with the folders of the parent.
void BM_ProposeBatchInOneParent(benchmark::State& state)
{
    SmartIconService& service = readyService();
    const ExtendedAttributesManager attributes;
    QTemporaryDir parent(QDir::homePath() + QStringLiteral("/bench-siblings-XXXXXX"));
    const QStringList names = {"Invoices", "Photos", "Music", "Projects", "Recipes"};
    QStringList folders;
    for (int n = 0; n < state.range(0); ++n) {
        folders.append(parent.path() + QStringLiteral("/%1 %2").arg(names[n % names.size()]).arg(n));
        QDir().mkdir(folders.last());
    }
    for (auto _ : state) {
        SmartSiblingAnalysis::Batch batch(attributes);
        for (const QString& folder : folders)
            batch.remember(folder, smart::proposeStyle(service, batch, folder, QString()));
    }
    state.counters["us_per_folder"] = benchmark::Counter(
        double(folders.size()) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProposeBatchInOneParent)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace
