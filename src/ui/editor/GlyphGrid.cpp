#include "ui/editor/GlyphGrid.h"

#include "render/IconImage.h"
#include "ui/controls/BundleImage.h"
#include "ui/controls/ControlStyle.h"
#include "ui/editor/LazyImageCache.h"

#include <QPainter>

#include <cmath>

namespace pigmo {

GlyphGrid::GlyphGrid(LazyImageCache& cache, QWidget* parent)
    : CellGrid(
          {columns, cellSide, columnSpacing, rowSpacing, [](double) { return cellSide; }},
          [this](QPainter& painter, const QRectF& rect, int index) { paintGlyph(painter, rect, index); }, parent)
    , cache_(cache)
    , paintedRatio_(devicePixelRatioF())
{
    connect(&cache_, &LazyImageCache::imageReady, this, [this](const QString& key) {
        if (keys_.contains(key))
            update();
    });
    connect(&cache_, &LazyImageCache::imageFailed, this, &GlyphGrid::dropFailed);
    connect(this, &CellGrid::activated, this, [this](int index) {
        if (index >= 0 && index < icons_.size())
            Q_EMIT chosen(icons_[index]);
    });
}

bool GlyphGrid::mayDraw(const Icon& icon)
{
    return icon.imageData || icon.url || icon.systemName || (icon.emoji && !icon.emoji->isEmpty());
}

void GlyphGrid::setIcons(const QList<Icon>& icons)
{
    icons_.clear();
    for (const Icon& icon : icons) {
        const QString key = imageKey(icon, ui::primaryColor(*this), paintedRatio_);
        if (mayDraw(icon) && !cache_.hasFailed(key))
            icons_.append(icon);
    }
    keys_ = QList<QString>(icons_.size());
    setCount(int(icons_.size()));
}

QString GlyphGrid::imageKey(const Icon& icon, const QColor& color, qreal devicePixelRatio)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7@%8")
        .arg(icon.name, icon.url ? icon.url->toString() : QString(), icon.systemName.value_or(QString()),
             icon.emoji.value_or(QString()), icon.imageData ? QString::number(qHash(*icon.imageData), 16) : QString(),
             color.name(QColor::HexArgb))
        .arg(devicePixelRatio);
}

std::optional<QImage> GlyphGrid::makeImage(const Icon& icon, const QColor& color, qreal devicePixelRatio)
{
    const int side = int(std::ceil(cellSide * devicePixelRatio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (icon.imageData || icon.url || icon.systemName) {
        std::shared_ptr<const GlyphPicture> picture = iconPicture(icon);
        if (!picture)
            return std::nullopt;
        TemplateImage(std::move(picture)).draw(painter, QRectF(0, 0, side, side), color);
    } else if (icon.emoji && !icon.emoji->isEmpty()) {
        drawEmoji(painter, *icon.emoji, emojiSize * devicePixelRatio, Qt::black, QPointF(side / 2.0, side / 2.0));
    } else {
        return std::nullopt;
    }
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

void GlyphGrid::paintGlyph(QPainter& painter, const QRectF& rect, int index)
{
    const Icon icon = icons_[index];
    const QColor color = ui::primaryColor(*this);
    const qreal ratio = ui::paintingPixelRatio(painter);
    paintedRatio_ = ratio;
    const QString key = imageKey(icon, color, ratio);
    keys_[index] = key;
    if (cache_.hasFailed(key)) { // failed at another ratio or colour before this list was set
        QMetaObject::invokeMethod(
            this, [this, key] { dropFailed(key); }, Qt::QueuedConnection);
        return;
    }
    const QImage image = cache_.image(key, [icon, color, ratio] { return makeImage(icon, color, ratio); });
    if (!image.isNull())
        painter.drawImage(rect, image);
}

void GlyphGrid::dropFailed(const QString& key)
{
    const qsizetype index = keys_.indexOf(key);
    if (index < 0)
        return;
    icons_.removeAt(index);
    keys_.removeAt(index);
    setCount(int(icons_.size()));
}

} // namespace pigmo
