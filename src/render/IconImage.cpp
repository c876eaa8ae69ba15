#include "render/IconImage.h"

#include "base/ThreadSafety.h"
#include "storage/BundleResources.h"

#include <QBuffer>
#include <QCache>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <mutex>

#include <sys/stat.h>

namespace pigmo {
namespace {

constexpr qint64 maximumGlyphFileBytes = 8 * 1024 * 1024;
constexpr int decodeAllocationLimitMB = 64;
constexpr int maximumNaturalSide = 4096;
constexpr qsizetype cacheCapacityKB = 64 * 1024;

class SvgPicture final : public GlyphPicture {
public:
    explicit SvgPicture(std::unique_ptr<QSvgRenderer> renderer)
        : renderer_(std::move(renderer))
        , size_(renderer_->viewBoxF().size())
    {
        const QSize declared = renderer_->defaultSize();
        if (!declared.isEmpty())
            size_ = declared;
    }

    QSizeF size() const override { return size_; }

    void draw(QPainter& painter, const QRectF& target) const override
    {
        // One parsed document keeps drawing state while it draws: callers on other threads wait their turn.
        const MutexLock lock(mutex_);
        renderer_->render(&painter, target);
    }

private:
    mutable Mutex mutex_;
    std::unique_ptr<QSvgRenderer> renderer_ PIGMO_PT_GUARDED_BY(mutex_);
    QSizeF size_;
};

class BitmapPicture final : public GlyphPicture {
public:
    explicit BitmapPicture(QImage image)
        : image_(std::move(image))
    {
    }

    QSizeF size() const override { return image_.size(); }

    void draw(QPainter& painter, const QRectF& target) const override
    {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image_);
        painter.restore();
    }

private:
    QImage image_;
};

std::shared_ptr<const GlyphPicture> parseSvg(const QByteArray& bytes)
{
    auto renderer = std::make_unique<QSvgRenderer>();
    // The document is shared by every thread that draws it: it belongs to none, so none owns its events.
    renderer->moveToThread(nullptr);
    renderer->setFramesPerSecond(0); // a still picture: no animation timer
    if (!renderer->load(bytes) || !renderer->isValid())
        return nullptr;
    auto picture = std::make_shared<SvgPicture>(std::move(renderer));
    if (picture->size().isEmpty())
        return nullptr;
    return picture;
}

std::shared_ptr<const GlyphPicture> decodeBitmap(QIODevice* device)
{
    QImageReader reader(device);
    reader.setAllocationLimit(decodeAllocationLimitMB);
    QImage image = reader.read();
    if (image.isNull())
        return nullptr;
    return std::make_shared<BitmapPicture>(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

// Bounded, thread-safe cache of decoded pictures. A picture in use stays alive after eviction.
class PictureCache {
public:
    static PictureCache& instance()
    {
        static PictureCache cache;
        return cache;
    }

    template <class Make>
    std::shared_ptr<const GlyphPicture> find(const QString& key, Make make)
    {
        {
            const MutexLock lock(mutex_);
            if (const auto* cached = cache_.object(key))
                return *cached;
        }
        std::shared_ptr<const GlyphPicture> picture = make(); // decoded without holding the lock
        if (picture) {
            const QSizeF size = picture->size();
            const auto cost = std::max<qsizetype>(4, qsizetype(size.width() * size.height() * 4 / 1024));
            const MutexLock lock(mutex_);
            cache_.insert(key, new std::shared_ptr<const GlyphPicture>(picture), cost);
        }
        return picture;
    }

private:
    PictureCache()
        : cache_(cacheCapacityKB)
    {
    }
    Mutex mutex_;
    QCache<QString, std::shared_ptr<const GlyphPicture>> cache_ PIGMO_GUARDED_BY(mutex_);
};

std::shared_ptr<const GlyphPicture> pictureOfData(const QByteArray& data)
{
    const QString key =
        QStringLiteral("data:") + QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
    return PictureCache::instance().find(key, [&data] {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        return decodeBitmap(&buffer);
    });
}

bool isSvgPath(const QString& path)
{
    return path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive) ||
           path.endsWith(QStringLiteral(".svgz"), Qt::CaseInsensitive);
}

// A glyph file: read only when it is a regular file (after symbolic links) under the size cap, and cached
// under its path, size and modification time so that a replaced file is read again.
std::shared_ptr<const GlyphPicture> pictureOfFile(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size >= maximumGlyphFileBytes)
        return nullptr;
    const QString key = QStringLiteral("%1\n%2\n%3.%4")
                            .arg(path)
                            .arg(qint64(status.st_size))
                            .arg(qint64(status.st_mtim.tv_sec))
                            .arg(qint64(status.st_mtim.tv_nsec));
    return PictureCache::instance().find(key, [&path, &status]() -> std::shared_ptr<const GlyphPicture> {
        QFile input(path);
        if (!input.open(QIODevice::ReadOnly))
            return nullptr;
        // A buffer of the file's size (with room for a little growth), not of the largest size accepted.
        if (isSvgPath(path))
            return parseSvg(input.read(std::min<qint64>(qint64(status.st_size) + 4096, maximumGlyphFileBytes)));
        return decodeBitmap(&input);
    });
}

// The path a URL names: a file URL's local path, or the path of a relative URL as it stands.
std::optional<QString> localPath(const QUrl& url)
{
    if (url.isLocalFile())
        return url.toLocalFile();
    if (url.scheme().isEmpty() && !url.path().isEmpty())
        return url.path();
    return std::nullopt;
}

std::shared_ptr<const GlyphPicture> pictureOfUrl(const QUrl& url, const QString& name)
{
    const std::optional<QString> path = localPath(url);
    if (!path)
        return nullptr;
    struct stat status {};
    if (::stat(QFile::encodeName(*path).constData(), &status) == 0)
        return pictureOfFile(*path);
    if (errno != ENOENT && errno != ENOTDIR) // there, but out of reach
        return nullptr;
    // A style stored by an earlier installation names its Lucide file where that installation kept it: the
    // bundle's file of the same name takes its place (a name is one plain file name, never a path).
    if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'/'))
        return nullptr;
    return pictureOfFile(BundleResources::path(QStringLiteral("lucide/") + name + QStringLiteral(".svg")));
}

// Every symbolic icon of the installed Adwaita theme, by file name without ".svg"; listed once.
const QHash<QString, QString>& symbolicIconFiles()
{
    static const QHash<QString, QString> files = [] {
        QHash<QString, QString> found;
        const QStringList themes =
            QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons/Adwaita/scalable"),
                                      QStandardPaths::LocateDirectory);
        for (const QString& theme : themes) {
            const QDir root(theme);
            for (const QString& context : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
                const QDir folder(root.filePath(context));
                for (const QString& file : folder.entryList({QStringLiteral("*-symbolic.svg")}, QDir::Files))
                    found.insert(file.chopped(4), folder.filePath(file)); // first data directory wins
            }
        }
        return found;
    }();
    return files;
}

std::shared_ptr<const GlyphPicture> pictureOfSymbol(const QString& systemName)
{
    QString fileName = systemName;
    fileName.replace(u'.', u'-');
    fileName += QStringLiteral("-symbolic");
    const auto found = symbolicIconFiles().constFind(fileName);
    if (found == symbolicIconFiles().constEnd())
        return nullptr;
    return pictureOfFile(*found);
}

QSize naturalPixelSize(const QSizeF& size)
{
    QSizeF bounded = size;
    if (bounded.width() > maximumNaturalSide || bounded.height() > maximumNaturalSide)
        bounded = bounded.scaled(maximumNaturalSide, maximumNaturalSide, Qt::KeepAspectRatio);
    return bounded.toSize().expandedTo(QSize(1, 1));
}

} // namespace

std::shared_ptr<const GlyphPicture> iconPicture(const Icon& icon)
{
    if (icon.imageData)
        return pictureOfData(*icon.imageData);
    if (icon.url)
        return pictureOfUrl(*icon.url, icon.name);
    if (icon.systemName)
        return pictureOfSymbol(*icon.systemName);
    return nullptr;
}

std::optional<QImage> iconImage(const Icon& icon, QSize size)
{
    const std::shared_ptr<const GlyphPicture> picture = iconPicture(icon);
    if (!picture)
        return std::nullopt;
    if (size.isEmpty())
        size = naturalPixelSize(picture->size());
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return std::nullopt;
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    picture->draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

std::optional<Icon> iconFromCustomImage(const QImage& image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return std::nullopt;
    Icon icon;
    icon.name = Icon::customName;
    icon.imageData = std::move(png);
    return icon;
}

void drawEmoji(QPainter& painter, QString emoji, double size, const QColor& color, QPointF centre)
{
    // Emoji larger than this are drawn at this size: a canvas shows less than half of one anyway, and the
    // colour font's bitmaps are scaled in memory.
    constexpr int maximumEmojiPixelSize = 1024;
    // Qt draws a joined sequence as separate pictures when a variation selector sits inside it.
    emoji.remove(QChar(0xFE0F));
    if (emoji.isEmpty() || !std::isfinite(size))
        return;
    QFont font(QStringLiteral("Noto Color Emoji"));
    font.setPixelSize(std::clamp(static_cast<int>(std::lround(std::min(size, 1e6))), 1, maximumEmojiPixelSize));
    const QFontMetricsF metrics(font);
    const QSizeF textSize(metrics.horizontalAdvance(emoji), metrics.height());
    const QPointF topLeft(centre.x() - textSize.width() / 2, centre.y() - textSize.height() / 2);

    painter.save();
    painter.setFont(font);
    // The colour's opacity goes to the painter, not the pen: a colour font ignores the pen but not the
    // painter's opacity, and a plain glyph then gets it once.
    painter.setPen(QColor(color.red(), color.green(), color.blue()));
    painter.setOpacity(color.alphaF());
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), emoji);
    painter.restore();
}

} // namespace pigmo
