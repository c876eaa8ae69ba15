#include "ui/controls/BundleImage.h"

#include "render/IconImage.h"
#include "storage/BundleResources.h"
#include "ui/controls/ControlStyle.h"

#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPainter>

namespace pigmo {

TemplateImage::TemplateImage(std::shared_ptr<const GlyphPicture> picture)
    : picture_(std::move(picture))
{
}

QSizeF TemplateImage::size() const
{
    return picture_->size();
}

void TemplateImage::draw(QPainter& painter, const QRectF& target, const QColor& color) const
{
    const qreal dpr = ui::paintingPixelRatio(painter);
    const QSizeF fitted = picture_->size().scaled(target.size(), Qt::KeepAspectRatio);
    const QRectF placed(target.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
    const QSize pixels = (fitted * dpr).toSize().expandedTo({1, 1});
    QImage shape(pixels, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter shapePainter(&shape);
        shapePainter.setRenderHint(QPainter::Antialiasing);
        shapePainter.setRenderHint(QPainter::SmoothPixmapTransform);
        picture_->draw(shapePainter, QRectF(QPointF(0, 0), QSizeF(pixels)));
        shapePainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        shapePainter.fillRect(shape.rect(), color);
    }
    shape.setDevicePixelRatio(dpr);
    painter.drawImage(placed, shape);
}

QPixmap TemplateImage::pixmap(const QSize& size, const QColor& color, qreal devicePixelRatio) const
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    draw(painter, QRectF(QPointF(0, 0), QSizeF(size)), color);
    return pixmap;
}

std::optional<TemplateImage> loadBundleSVGImage(const QString& name)
{
    if (name.isEmpty() || name.contains(u'/') || name.startsWith(u'.'))
        return std::nullopt;
    const QString path = BundleResources::path(QStringLiteral("lucide/") + name + QStringLiteral(".svg"));
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    Icon icon;
    icon.url = QUrl::fromLocalFile(path);
    icon.name = name;
    std::shared_ptr<const GlyphPicture> picture = iconPicture(icon);
    if (!picture)
        return std::nullopt;
    return TemplateImage(std::move(picture));
}

QString lucideNameOfSymbol(const QString& systemName)
{
    static const QHash<QString, QString> lucideBySymbol = {
        {QStringLiteral("house"), QStringLiteral("house")},
        {QStringLiteral("clock.arrow.circlepath"), QStringLiteral("rotate-ccw-clock")},
        {QStringLiteral("gearshape"), QStringLiteral("settings")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("search")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("circle-x")},
        {QStringLiteral("xmark"), QStringLiteral("x")},
        {QStringLiteral("plus"), QStringLiteral("plus")},
        {QStringLiteral("trash"), QStringLiteral("trash-2")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("circle-check")},
        {QStringLiteral("square.and.arrow.down"), QStringLiteral("download")},
        {QStringLiteral("folder.fill"), QStringLiteral("folder")},
        {QStringLiteral("clock"), QStringLiteral("clock")},
        {QStringLiteral("checkmark"), QStringLiteral("check")},
        {QStringLiteral("chevron.up.chevron.down"), QStringLiteral("chevrons-up-down")},
        {QStringLiteral("sun.max"), QStringLiteral("sun")},
        {QStringLiteral("moon"), QStringLiteral("moon")},
        {QStringLiteral("circle.lefthalf.filled"), QStringLiteral("contrast")},
        {QStringLiteral("menubar.rectangle"), QStringLiteral("panel-top")},
        {QStringLiteral("dock.rectangle"), QStringLiteral("panel-bottom")},
        {QStringLiteral("menubar.dock.rectangle"), QStringLiteral("panel-top-bottom-dashed")},
        {QStringLiteral("square.grid.2x2.fill"), QStringLiteral("grid-2x2")},
        {QStringLiteral("face.smiling"), QStringLiteral("face-slightly-smiling")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("triangle-exclamation-point")},
    };
    return lucideBySymbol.value(systemName);
}

std::optional<TemplateImage> symbolImage(const QString& systemName)
{
    const QString lucide = lucideNameOfSymbol(systemName);
    if (lucide.isEmpty())
        return std::nullopt;
    return loadBundleSVGImage(lucide);
}

} // namespace pigmo
