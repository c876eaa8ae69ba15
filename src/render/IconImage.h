#pragma once

#include "model/ColorizationData.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <memory>
#include <optional>

class QPainter;

namespace pigmo {

// A glyph's picture, decoded once and shared: a parsed SVG document drawn as vectors at any size, or a
// decoded bitmap. Immutable to its users; `draw` may run on several threads at once.
class GlyphPicture {
public:
    virtual ~GlyphPicture() = default;
    // The picture's own size; never empty.
    virtual QSizeF size() const = 0;
    // Draws the whole picture scaled into `target`.
    virtual void draw(QPainter& painter, const QRectF& target) const = 0;
};

// The picture of an icon, tried in this order: its image data (unreadable data gives nothing, the other
// fields are not tried), its file URL (an SVG file is parsed, any other image decoded), its platform
// symbol (the symbolic icon of that name in the installed Adwaita theme, "folder.open" naming
// "folder-open-symbolic"); an emoji or a bare name gives nothing.
//
// A URL is read only when it names a regular file under 8 MB; when the file is missing and the icon's
// `name` is that of a Lucide catalogue icon, the catalogue's file is read instead. Decoding is bounded by
// an allocation limit. Pictures are cached by file (path, size and modification time) and by image data,
// so drawing one glyph again never parses it twice. Safe from any thread.
std::shared_ptr<const GlyphPicture> iconPicture(const Icon& icon);

// The icon's picture rasterised into a new ARGB32-premultiplied image of `size`, or of the picture's own
// size (at most 4096 × 4096) when `size` is empty; nothing when the icon has no picture.
std::optional<QImage> iconImage(const Icon& icon, QSize size = {});

// An icon of an image the user supplied: `name` "<custom>" and `imageData` its PNG encoding; nothing when
// the image is null or cannot be encoded.
std::optional<Icon> iconFromCustomImage(const QImage& image);

// Draws an emoji as text of `size` pixels centred on `centre` in `color` (its opacity too, which the colour
// font would ignore). Safe from any thread, into images of the caller's.
void drawEmoji(QPainter& painter, QString emoji, double size, const QColor& color, QPointF centre);

} // namespace pigmo
