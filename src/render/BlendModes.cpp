#include "render/BlendModes.h"

#include <algorithm>
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

std::array<float, 3> channelsOf(const Color& color)
{
    return {clampUnit(color.red), clampUnit(color.green), clampUnit(color.blue)};
}

struct Pixel {
    std::array<float, 3> rgb; // premultiplied, 0...255
    float alpha;              // 0...255
};

Pixel unpack(QRgb pixel)
{
    return {{float(qRed(pixel)), float(qGreen(pixel)), float(qBlue(pixel))}, float(qAlpha(pixel))};
}

// Source-over of the blended colour: co = as (1 - ab) Cs + as (ab B) + (1 - as) cb, with ab B premultiplied.
QRgb composite(const Pixel& backdrop, const std::array<float, 3>& source, const std::array<float, 3>& blended,
               float sourceAlpha)
{
    const float uncovered = sourceAlpha * (255.0f - backdrop.alpha);
    const float keep = 1.0f - sourceAlpha;
    const float alpha = sourceAlpha * 255.0f + keep * backdrop.alpha;
    int out[3];
    for (size_t i = 0; i < 3; ++i) {
        const float value = uncovered * source[i] + sourceAlpha * blended[i] + keep * backdrop.rgb[i];
        out[i] = static_cast<int>(std::clamp(value, 0.0f, alpha) + 0.5f);
    }
    return qRgba(out[0], out[1], out[2], static_cast<int>(alpha + 0.5f));
}

} // namespace

OverlayFill::OverlayFill(const Color& color, double opacity)
    : channel_(channelsOf(color))
    , alpha_(clampUnit(opacity))
{
}

QRgb OverlayFill::operator()(QRgb backdrop) const
{
    const Pixel b = unpack(backdrop);
    std::array<float, 3> blended; // ab * HardLight(Cs, Cb), premultiplied: no division by the alpha
    for (size_t i = 0; i < 3; ++i) {
        blended[i] = 2.0f * b.rgb[i] <= b.alpha ? 2.0f * channel_[i] * b.rgb[i]
                                                : b.alpha - 2.0f * (1.0f - channel_[i]) * (b.alpha - b.rgb[i]);
    }
    return composite(b, channel_, blended, alpha_);
}

// SetLum(Cs, l) = l + k(l) * D with D = Cs - Lum(Cs): ClipColor only ever scales the constant vector D, by
// k = 1 inside the gamut, l / -min(D) below it and (1 - l) / max(D) above it (one pixel never needs both,
// since max(D) - min(D) <= 1). Multiplied through by the backdrop's alpha, no test divides by it.
ColorFill::ColorFill(const Color& color, double opacity)
    : channel_(channelsOf(color))
    , alpha_(clampUnit(opacity))
{
    const float lum = lumRed * channel_[0] + lumGreen * channel_[1] + lumBlue * channel_[2];
    for (size_t i = 0; i < 3; ++i)
        offset_[i] = channel_[i] - lum;
    const float minimum = std::min({offset_[0], offset_[1], offset_[2]});
    const float maximum = std::max({offset_[0], offset_[1], offset_[2]});
    belowLimit_ = -minimum;
    aboveLimit_ = 1.0f - maximum;
    belowScale_ = minimum < 0 ? 1.0f / -minimum : 0.0f;
    aboveScale_ = maximum > 0 ? 1.0f / maximum : 0.0f;
}

QRgb ColorFill::operator()(QRgb backdrop) const
{
    const Pixel b = unpack(backdrop);
    const float lum = lumRed * b.rgb[0] + lumGreen * b.rgb[1] + lumBlue * b.rgb[2]; // ab * Lum(Cb)
    float scale = b.alpha;                                                          // ab * k
    if (lum < belowLimit_ * b.alpha)
        scale = lum * belowScale_;
    else if (lum > aboveLimit_ * b.alpha)
        scale = (b.alpha - lum) * aboveScale_;
    std::array<float, 3> blended; // ab * SetLum(Cs, Lum(Cb))
    for (size_t i = 0; i < 3; ++i)
        blended[i] = lum + scale * offset_[i];
    return composite(b, channel_, blended, alpha_);
}

} // namespace pigmo
