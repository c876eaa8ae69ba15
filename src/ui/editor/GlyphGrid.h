#pragma once

#include "model/ColorizationData.h"
#include "ui/editor/CellGrid.h"

#include <QList>

namespace pigmo {

class LazyImageCache;

// An icon grid of the icon tab: nine columns of 24 points with 14 points after each, 8 points between rows,
// one cell per glyph. Each glyph is drawn in the text colour (an emoji as itself), made off the GUI thread
// the first time its cell is painted and then kept in the shared cache. A glyph with neither a picture nor
// an emoji, or whose picture cannot be made, takes no cell: the glyphs after it close up. Clicking a cell
// hands its glyph, unchanged, to `chosen`.
class GlyphGrid : public CellGrid {
    Q_OBJECT

public:
    static constexpr int columns = 9;
    static constexpr double cellSide = 24;
    static constexpr double columnSpacing = 14;
    static constexpr double rowSpacing = 8;
    static constexpr double emojiSize = 20;

    explicit GlyphGrid(LazyImageCache& cache, QWidget* parent = nullptr);

    void setIcons(const QList<Icon>& icons);
    const QList<Icon>& icons() const { return icons_; }
    // Whether a glyph can take a cell before its picture is made: it has a picture source or an emoji.
    static bool mayDraw(const Icon& icon);
    // The cache key of a glyph drawn in `color` at `devicePixelRatio` (the painting device's, which is the
    // widget's own on screen and the image's when the grid is rendered into an image).
    static QString imageKey(const Icon& icon, const QColor& color, qreal devicePixelRatio);
    // The glyph's cell image; nothing when it has no picture (and is no emoji). Safe off the GUI thread.
    static std::optional<QImage> makeImage(const Icon& icon, const QColor& color, qreal devicePixelRatio);

Q_SIGNALS:
    void chosen(const pigmo::Icon& icon);

private:
    void paintGlyph(QPainter& painter, const QRectF& rect, int index);
    void dropFailed(const QString& key);

    LazyImageCache& cache_;
    QList<Icon> icons_;
    QList<QString> keys_; // the cache key of each glyph as last painted
    qreal paintedRatio_;  // the device pixel ratio of the last paint
};

} // namespace pigmo
