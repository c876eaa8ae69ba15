#pragma once

#include <QByteArray>
#include <QImage>

namespace pigmo {

// The PNG form of a rendered folder image, as the platform layer stores it: RGBA, 8 bits a channel, written
// for speed (no row filters, light compression; a 512 × 512 render takes about 3 ms and 16 KB). Any image
// format is accepted; empty for a null image or when encoding fails. Safe from any thread.
QByteArray encodePng(const QImage& image);

} // namespace pigmo
