#pragma once

#include <QByteArray>
#include <QImage>

namespace pigmo {

// The PNG form of a rendered folder image, as the platform layer stores it: RGBA, 8 bits a channel, written
// for speed (no row filters, light compression; bench_folder_icons times it). Any image format is accepted; empty for a
// null image or when encoding fails. Safe from any thread.
QByteArray encodePng(const QImage& image);

} // namespace pigmo
