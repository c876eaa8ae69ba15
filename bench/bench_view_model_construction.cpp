// Constructing the view model of a styled folder: attribute read and first render (target: at most 5 ms).
// Each model is released and deleted within its iteration, so the figure is a steady state.
#include "services/ColorizationViewModel.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/CoreServices.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QTemporaryDir>

namespace {

void BM_ViewModelConstruction(benchmark::State& state)
{
    QTemporaryDir directory(QDir::homePath() + QStringLiteral("/bench-model-XXXXXX"));
    const pigmo::Folder folder = *pigmo::Folder::fromPath(directory.path());
    pigmo::test::CoreServices services;
    services.attributes.writeSettings(
        pigmo::ColorizationData{pigmo::HSL{30, 70, 50}, 0.7, std::nullopt, 150, pigmo::IconStyle::vibrant()},
        folder.path());
    for (auto _ : state) {
        {
            const auto model = pigmo::ColorizationViewModel::create(folder, false, services.colorization());
            benchmark::DoNotOptimize(model.get());
        }
        // Models are deleted later, on their thread's event loop: delete them now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
BENCHMARK(BM_ViewModelConstruction)->Unit(benchmark::kMillisecond);

} // namespace
