#pragma once

#include <QColor>
#include <QPixmap>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class QPainter;

namespace pigmo {

class GlyphPicture;

// A picture drawn as a template: its shape filled with one colour, the colour of the label it stands in.
class TemplateImage {
public:
    explicit TemplateImage(std::shared_ptr<const GlyphPicture> picture);

    QSizeF size() const;
    // Draws the shape in `color`, fitted into `target` keeping its aspect ratio and centred there.
    void draw(QPainter& painter, const QRectF& target, const QColor& color) const;
    // The shape in `color` on a transparent pixmap of `size` points at `devicePixelRatio`.
    QPixmap pixmap(const QSize& size, const QColor& color, qreal devicePixelRatio) const;

private:
    std::shared_ptr<const GlyphPicture> picture_;
};

// The Lucide icon `name` from the SVG files of the bundle's "lucide" folder ("<name>.svg" directly in it);
// nothing when the name is not a plain file name or the file is missing or unreadable.
std::optional<TemplateImage> loadBundleSVGImage(const QString& name);

// A symbol the interface draws, named as the platform's symbol set names it ("house", "gearshape",
// "magnifyingglass"), through the one table that maps those names to Lucide icons; nothing for a name the
// table does not know.
std::optional<TemplateImage> symbolImage(const QString& systemName);
// The Lucide icon name of an interface symbol, empty for a name the table does not know.
QString lucideNameOfSymbol(const QString& systemName);

} // namespace pigmo
