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

} // namespace
