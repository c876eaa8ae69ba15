#include "platform/PngEncoder.h"

#include <png.h>

namespace pigmo {

QByteArray encodePng(const QImage& source)
{
    if (source.isNull())
        return {};
    // Straight (not premultiplied) alpha; in memory the bytes of ARGB32 are B, G, R, A.
    const QImage pixels = source.convertToFormat(QImage::Format_ARGB32);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(pixels.width());
    image.height = static_cast<png_uint_32>(pixels.height());
    image.format = PNG_FORMAT_BGRA;
    image.flags = PNG_IMAGE_FLAG_FAST;

    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image); // the worst case: one encoding pass suffices
    QByteArray png(static_cast<qsizetype>(size), Qt::Uninitialized);
    const int written = png_image_write_to_memory(&image, png.data(), &size, 0, pixels.constBits(),
                                                  static_cast<png_int_32>(pixels.bytesPerLine()), nullptr);
    png_image_free(&image);
    if (!written)
        return {};
    png.truncate(static_cast<qsizetype>(size));
    png.squeeze();
    return png;
}

} // namespace pigmo
