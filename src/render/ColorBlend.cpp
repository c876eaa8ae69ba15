#include "render/ColorBlend.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pigmo {
namespace {

// Luminosity weights of the W3C "Lum" function.
constexpr float lumRed = 0.3f;
constexpr float lumGreen = 0.59f;
constexpr float lumBlue = 0.11f;

float clampUnit(double value)
{
    return std::isfinite(value) ? static_cast<float>(std::clamp(value, 0.0, 1.0)) : 0.0f;
}

// SetLum(Cs, l) = l + k(l) * (Cs - Lum(Cs)), where ClipColor only ever scales the constant vector
// D = Cs - Lum(Cs): k = 1 inside the gamut, l / -min(D) below it and (1 - l) / max(D) above it (both clips
// can never apply to one pixel, since max(D) - min(D) <= 1). Multiplying through by the backdrop's alpha
// keeps every test free of divisions by it, so the loop works on premultiplied pixels directly.
struct ColorSource {
    std::array<float, 3> channel{}; // Cs, 0...1
    std::array<float, 3> offset{};  // D = Cs - Lum(Cs)
    float belowLimit = 0;           // -min(D)
    float aboveLimit = 0;           // 1 - max(D)
    float belowScale = 0;           // 1 / -min(D), 0 when min(D) = 0
    float aboveScale = 0;           // 1 / max(D), 0 when max(D) = 0

    explicit ColorSource(const Color& color)
        : channel{clampUnit(color.red), clampUnit(color.green), clampUnit(color.blue)}
    {
        const float lum = lumRed * channel[0] + lumGreen * channel[1] + lumBlue * channel[2];
        for (size_t i = 0; i < 3; ++i)
            offset[i] = channel[i] - lum;
        const float minimum = std::min({offset[0], offset[1], offset[2]});
        const float maximum = std::max({offset[0], offset[1], offset[2]});
        belowLimit = -minimum;
        aboveLimit = 1.0f - maximum;
        belowScale = minimum < 0 ? 1.0f / -minimum : 0.0f;
        aboveScale = maximum > 0 ? 1.0f / maximum : 0.0f;
    }
};

inline quint32 blendPixel(quint32 pixel, const ColorSource& source, float sourceAlpha)
{
    const float backdropAlpha = static_cast<float>(qAlpha(pixel));
    const float backdrop[3] = {static_cast<float>(qRed(pixel)), static_cast<float>(qGreen(pixel)),
                               static_cast<float>(qBlue(pixel))};
    // Backdrop luminosity, premultiplied (0...255).
    const float lum = lumRed * backdrop[0] + lumGreen * backdrop[1] + lumBlue * backdrop[2];
    // backdropAlpha * k(l), in 0...255.
    float scale = backdropAlpha;
    if (lum < source.belowLimit * backdropAlpha)
        scale = lum * source.belowScale;
    else if (lum > source.aboveLimit * backdropAlpha)
        scale = (backdropAlpha - lum) * source.aboveScale;

    const float uncovered = sourceAlpha * (255.0f - backdropAlpha);
    const float keep = 1.0f - sourceAlpha;
    const float alpha = sourceAlpha * 255.0f + keep * backdropAlpha;
    int out[3];
    for (size_t i = 0; i < 3; ++i) {
        const float blended = lum + scale * source.offset[i]; // backdropAlpha * B(Cb, Cs)
        const float value = uncovered * source.channel[i] + sourceAlpha * blended + keep * backdrop[i];
        out[i] = static_cast<int>(std::clamp(value, 0.0f, alpha) + 0.5f);
    }
    return qRgba(out[0], out[1], out[2], static_cast<int>(alpha + 0.5f));
}

} // namespace

void fillColorBlend(QImage& image, const Color& color, double opacity)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        return;
    const float sourceAlpha = clampUnit(opacity);
    if (sourceAlpha == 0.0f)
        return;
    const ColorSource source(color);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = blendPixel(line[x], source, sourceAlpha);
    }
}

} // namespace pigmo
