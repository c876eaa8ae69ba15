#pragma once

#include "model/HSL.h"

#include <QImage>

namespace pigmo {

// Composites a solid colour over the whole of `image` in the non-separable "color" blend mode of the W3C
// compositing model: the result takes the hue and saturation of `color` and the luminosity of the pixel
// underneath, and is then laid over the image with `opacity` (clamped to 0...1) by source-over.
//
// `image` must be Format_ARGB32_Premultiplied (anything else is left unchanged); `color`'s channels are
// clamped to 0...1 and its own opacity is ignored. Results are exact to within one step of 255.
void fillColorBlend(QImage& image, const Color& color, double opacity);

} // namespace pigmo
