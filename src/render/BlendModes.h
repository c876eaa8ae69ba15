#pragma once

#include "model/HSL.h"

#include <QRgb>

#include <array>

namespace pigmo {

// Fills with a solid colour in the blend modes of the W3C compositing model that QPainter lacks or that the
// renderer runs pixel by pixel. Each is made once per fill and applied to one premultiplied ARGB pixel (the
// backdrop) at a time: the source colour is blended with the backdrop, then laid over it with the fill's
// opacity by source-over. The colour's channels and the opacity are clamped to 0...1 (not-a-number counts
// as 0); the colour's own opacity is ignored. Results are exact to within one step of 255.

// Overlay: multiplies where the backdrop is dark and screens where it is light.
class OverlayFill {
public:
    OverlayFill(const Color& color, double opacity);
    QRgb operator()(QRgb backdrop) const;

private:
    std::array<float, 3> channel_{};
    float alpha_ = 0;
};

// Color (non-separable): the hue and saturation of the fill colour with the luminosity of the backdrop.
class ColorFill {
public:
    ColorFill(const Color& color, double opacity);
    QRgb operator()(QRgb backdrop) const;

private:
    std::array<float, 3> channel_{}; // Cs
    std::array<float, 3> offset_{};  // Cs - Lum(Cs)
    float belowLimit_ = 0;           // -min(offset)
    float aboveLimit_ = 0;           // 1 - max(offset)
    float belowScale_ = 0;           // 1 / -min(offset), 0 when that is 0
    float aboveScale_ = 0;           // 1 / max(offset), 0 when that is 0
    float alpha_ = 0;
};

} // namespace pigmo
