// The folder icon renderer: one render per style kind, the PNG the platform layer stores, and the twelve
// loading renders. Run in a Release build.

#include "catalogue/IconsModel.h"
#include "platform/PngEncoder.h"
#include "render/ColorizationService.h"
#include "storage/BundleResources.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

using namespace pigmo;

namespace {

ColorizationData lucideStyle()
{
    return {HSL{20, 90, 55}, 0.8, IconsModel(BundleResources::directory()).lucideIcon(QStringLiteral("folder-git-2")),
            170, IconStyle::vibrant()};
}

ColorizationData emojiStyle()
{
    Icon icon;
    icon.emoji = QString::fromUtf8("🦊");
    icon.name = QStringLiteral("fox");
    return {HSL{200, 70, 40}, 0.6, icon, 170, IconStyle::vibrant()};
}

ColorizationData plainStyle()
{
    return {HSL{130, 70, 40}, 0.7, std::nullopt, std::nullopt, IconStyle::vibrant()};
}

void renderStyle(benchmark::State& state, const ColorizationData& data)
{
    ColorizationService::generateIcon(data); // base image, glyph picture and font caches warm
    for (auto _ : state)
        benchmark::DoNotOptimize(ColorizationService::generateIcon(data));
}

void BM_GenerateIconLucide(benchmark::State& state)
{
    renderStyle(state, lucideStyle());
}
BENCHMARK(BM_GenerateIconLucide)->Unit(benchmark::kMillisecond);

void BM_GenerateIconEmoji(benchmark::State& state)
{
    renderStyle(state, emojiStyle());
}
BENCHMARK(BM_GenerateIconEmoji)->Unit(benchmark::kMillisecond);

void BM_GenerateIconWithoutGlyph(benchmark::State& state)
{
    renderStyle(state, plainStyle());
}
BENCHMARK(BM_GenerateIconWithoutGlyph)->Unit(benchmark::kMillisecond);

void BM_EncodePng(benchmark::State& state)
{
    const QImage image = *ColorizationService::generateIcon(lucideStyle());
    for (auto _ : state) {
        benchmark::DoNotOptimize(encodePng(image));
    }
}
BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);

// The work `loadingIcons` does once: twelve renders without glyph.
void BM_TwelveLoadingRenders(benchmark::State& state)
{
    ColorizationService::neutralFolderImage();
    for (auto _ : state) {
        for (int hue = 0; hue < 360; hue += 30)
            benchmark::DoNotOptimize(ColorizationService::generateIcon(
                {HSL{double(hue), 85, 52}, 0.7, std::nullopt, std::nullopt, IconStyle::vibrant()}));
    }
}
BENCHMARK(BM_TwelveLoadingRenders)->Unit(benchmark::kMillisecond);

} // namespace
