#pragma once

// Straightforward double-precision forms of the W3C compositing formulas, on unpremultiplied colours, used
// to check the renderer's pixels independently of how it computes them.

#include "model/HSL.h"

#include <QColor>
#include <QRgb>

#include <algorithm>
#include <array>

namespace pigmo::test {

struct Rgba {
    std::array<double, 3> rgb{}; // unpremultiplied, 0...1
    double alpha = 0;            // 0...1
};

inline Rgba fromPremultiplied(QRgb pixel)
{
    Rgba result;
    result.alpha = qAlpha(pixel) / 255.0;
    if (result.alpha > 0)
        result.rgb = {qRed(pixel) / 255.0 / result.alpha, qGreen(pixel) / 255.0 / result.alpha,
                      qBlue(pixel) / 255.0 / result.alpha};
    return result;
}

inline double lum(const std::array<double, 3>& c)
{
    return 0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2];
}

inline std::array<double, 3> clipColor(std::array<double, 3> c)
{
    const double l = lum(c);
    const double n = std::min({c[0], c[1], c[2]});
    const double x = std::max({c[0], c[1], c[2]});
    for (double& v : c) {
        if (n < 0)
            v = l + (v - l) * l / (l - n);
    }
    const double x2 = std::max({c[0], c[1], c[2]});
    for (double& v : c) {
        if (x2 > 1)
            v = l + (v - l) * (1 - l) / (x2 - l);
    }
    (void)x;
    return c;
}

inline std::array<double, 3> setLum(std::array<double, 3> c, double l)
{
    const double d = l - lum(c);
    for (double& v : c)
        v += d;
    return clipColor(c);
}

inline double overlay(double backdrop, double source)
{
    const double twice = 2 * backdrop;
    return backdrop <= 0.5 ? source * twice : source + (twice - 1) - source * (twice - 1);
}

enum class Blend { overlay, color };

// Source colour `source` at opacity `alpha` composited over `backdrop` with a blend mode, then source-over.
inline Rgba composite(const Rgba& backdrop, const std::array<double, 3>& source, double alpha, Blend blend)
{
    std::array<double, 3> blended{};
    if (blend == Blend::color) {
        blended = setLum(source, lum(backdrop.rgb));
    } else {
        for (size_t i = 0; i < 3; ++i)
            blended[i] = overlay(backdrop.rgb[i], source[i]);
    }
    Rgba result;
    result.alpha = alpha + backdrop.alpha * (1 - alpha);
    for (size_t i = 0; i < 3; ++i) {
        const double mixed = (1 - backdrop.alpha) * source[i] + backdrop.alpha * blended[i];
        const double premultiplied = alpha * mixed + (1 - alpha) * backdrop.alpha * backdrop.rgb[i];
        result.rgb[i] = result.alpha > 0 ? premultiplied / result.alpha : 0;
    }
    return result;
}

// Premultiplied 0...255 channels of a result, alpha last.
inline std::array<double, 4> premultiplied255(const Rgba& c)
{
    return {c.rgb[0] * c.alpha * 255, c.rgb[1] * c.alpha * 255, c.rgb[2] * c.alpha * 255, c.alpha * 255};
}

inline std::array<double, 3> channels(const Color& color)
{
    return {color.red, color.green, color.blue};
}

// The tint of the renderer on one base pixel: overlay at `intensity`, color at `colorOpacity`, then kept
// only as far as the base is opaque.
inline std::array<double, 4> tintedPixel(QRgb base, const Color& tint, double intensity, double colorOpacity)
{
    const Rgba backdrop = fromPremultiplied(base);
    const Rgba overlaid = composite(backdrop, channels(tint), intensity, Blend::overlay);
    Rgba coloured = composite(overlaid, channels(tint), colorOpacity, Blend::color);
    coloured.alpha *= backdrop.alpha;
    return premultiplied255(coloured);
}

inline double maxChannelDifference(QRgb pixel, const std::array<double, 4>& expected)
{
    const double actual[4] = {double(qRed(pixel)), double(qGreen(pixel)), double(qBlue(pixel)), double(qAlpha(pixel))};
    double worst = 0;
    for (size_t i = 0; i < 4; ++i)
        worst = std::max(worst, std::abs(actual[i] - expected[i]));
    return worst;
}

} // namespace pigmo::test
