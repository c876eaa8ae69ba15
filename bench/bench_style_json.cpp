// Encoding and decoding one style: the unit of every attribute read and write and of the history files.
#include "model/StyleJson.h"

#include <benchmark/benchmark.h>

using namespace pigmo;

namespace {

void BM_EncodeDecodeStyle(benchmark::State& state)
{
    const ColorizationData style{HSL{195, 100, 50}, 0.6,
                                 Icon{QUrl::fromLocalFile(QStringLiteral("/usr/share/pigmo2/lucide/folder-heart.svg")),
                                      {},
                                      {},
                                      QStringLiteral("folder-heart"),
                                      {}},
                                 170, IconStyle::color(HSL{10, 20, 30})};
    for (auto _ : state) {
        auto decoded = json::decode(*json::encode(style));
        benchmark::DoNotOptimize(decoded);
    }
}
BENCHMARK(BM_EncodeDecodeStyle)->Unit(benchmark::kMicrosecond);

} // namespace
