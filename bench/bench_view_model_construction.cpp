// Constructing the view model of a styled folder: attribute read and first render (target: at most 5 ms).
#include "services/ColorizationViewModel.h"
#include "storage/ExtendedAttributesManager.h"

#include "base/Log.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

namespace {

void BM_ViewModelConstruction(benchmark::State& state)
{
    QTemporaryDir folder(QDir::homePath() + QStringLiteral("/bench-model-XXXXXX"));
    const QUrl url = QUrl::fromLocalFile(folder.path());
    pigmo::ExtendedAttributesManager::shared().writeSettings(
        pigmo::ColorizationData{pigmo::HSL{30, 70, 50}, 0.7, std::nullopt, 150, pigmo::IconStyle::vibrant()}, url);
    for (auto _ : state)
        benchmark::DoNotOptimize(pigmo::ColorizationViewModel::create(url, false));
}
BENCHMARK(BM_ViewModelConstruction)->Unit(benchmark::kMillisecond);

} // namespace
