#include "services/DropLoaders.h"

#include "base/Log.h"

#include <QFileInfo>
#include <QImageReader>

namespace pigmo::drop {
namespace {

// The image data an item carries: Qt's own image form first, then any image/* format.
QByteArray imageBytes(const QMimeData& item)
{
    for (const QString& format : item.formats()) {
        if (format.startsWith(QStringLiteral("image/")))
            return item.data(format);
    }
    return {};
}

} // namespace

Result<QImage> loadImage(const QMimeData& item)
{
    if (item.hasUrls()) {
        const QUrl url = item.urls().constFirst();
        if (!url.isLocalFile())
            return Result<QImage>::failure(couldNotConvertItemToURL);
        QImageReader reader(url.toLocalFile());
        QImage image = reader.read();
        if (!image.isNull())
            return image;
    }
    if (item.hasImage()) {
        QImage image = qvariant_cast<QImage>(item.imageData());
        if (!image.isNull())
            return image;
    }
    const QByteArray bytes = imageBytes(item);
    if (bytes.isEmpty())
        return Result<QImage>::failure(couldNotLoadImageData);
    QImage image = QImage::fromData(bytes);
    if (image.isNull())
        return Result<QImage>::failure(couldNotCreateImage);
    return image;
}

Result<QList<QUrl>> loadFolders(const QMimeData& items)
{
    if (!items.hasUrls())
        return items.formats().isEmpty() ? Result<QList<QUrl>>(QList<QUrl>())
                                         : Result<QList<QUrl>>::failure(couldNotConvertItemToURL);
    QList<QUrl> folders;
    for (const QUrl& url : items.urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
            folders.append(url);
        else
            log::print(QStringLiteral("Not a directory!!"));
    }
    return folders;
}

} // namespace pigmo::drop
