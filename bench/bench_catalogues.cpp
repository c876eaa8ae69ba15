// Loading the three icon catalogues from the bundle, as the program does once per run when it starts.

#include "catalogue/IconsModel.h"
#include "storage/BundleResources.h"

#include <benchmark/benchmark.h>

using namespace pigmo;

namespace {

void BM_LoadCatalogues(benchmark::State& state)
{
    const QString resources = BundleResources::directory();
    for (auto _ : state) {
        const IconsModel model(resources);
        benchmark::DoNotOptimize(model.emojisIcons().size());
    }
}
BENCHMARK(BM_LoadCatalogues)->Unit(benchmark::kMillisecond);

// Each loader alone: the slowest one bounds the catalogues' load, which runs them side by side.
void BM_LoadLucide(benchmark::State& state)
{
    const QString directory = BundleResources::path(QStringLiteral("lucide"));
    for (auto _ : state)
        benchmark::DoNotOptimize(IconsModel::loadLucideIcons(directory).size());
}
BENCHMARK(BM_LoadLucide)->Unit(benchmark::kMillisecond);

void BM_LoadEmojis(benchmark::State& state)
{
    const QString file = BundleResources::path(QStringLiteral("catalogues/emojis.txt"));
    for (auto _ : state)
        benchmark::DoNotOptimize(IconsModel::loadEmojis(file).size());
}
BENCHMARK(BM_LoadEmojis)->Unit(benchmark::kMillisecond);

void BM_LoadSymbols(benchmark::State& state)
{
    const QString file = BundleResources::path(QStringLiteral("catalogues/sf_symbols.txt"));
    for (auto _ : state)
        benchmark::DoNotOptimize(IconsModel::loadSFSymbols(file).size());
}
BENCHMARK(BM_LoadSymbols)->Unit(benchmark::kMillisecond);

} // namespace
