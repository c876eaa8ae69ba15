#include "ui/editor/LazyImageCache.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace pigmo {

LazyImageCache::LazyImageCache(QThreadPool& workers, qint64 maximumBytes, QObject* parent)
    : QObject(parent)
    , workers_(workers)
    , cache_(qsizetype(std::max<qint64>(maximumBytes / 1024, 1)))
{
}

LazyImageCache::~LazyImageCache()
{
    workers_.dropPending();
    workers_.waitForDone();
}

QImage LazyImageCache::image(const QString& key, const Make& make)
{
    if (const QImage* cached = cache_.object(key))
        return *cached;
    if (failed_.contains(key) || pending_.contains(key))
        return {};
    pending_.insert(key);
    ++madeCount_;
    workers_.start([this, key, make] {
        std::optional<QImage> made = make();
        // Queued to the GUI thread; dropped with the cache, which waits for its workers before it goes.
        QMetaObject::invokeMethod(
            this, [this, key, made = std::move(made)] { deliver(key, made); }, Qt::QueuedConnection);
    });
    return {};
}

void LazyImageCache::forget(const std::function<bool(const QString& key)>& matches)
{
    for (const QString& key : cache_.keys()) {
        if (matches(key))
            cache_.remove(key);
    }
    failed_.removeIf([&](const QString& key) { return matches(key); });
    for (const QString& key : std::as_const(pending_)) {
        if (matches(key))
            outdated_.insert(key);
    }
}

void LazyImageCache::deliver(const QString& key, const std::optional<QImage>& image)
{
    pending_.remove(key);
    if (outdated_.remove(key)) {
        Q_EMIT imageReady(key); // its view asks again and gets it made from the source as it is now
        return;
    }
    if (!image || image->isNull()) {
        failed_.insert(key);
        Q_EMIT imageFailed(key);
        return;
    }
    const qsizetype kilobytes = std::max<qsizetype>(image->sizeInBytes() / 1024, 1);
    cache_.insert(key, new QImage(*image), kilobytes);
    Q_EMIT imageReady(key);
}

bool LazyImageCache::waitUntilIdle(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!pending_.isEmpty() && !deadline.hasExpired()) {
        workers_.waitForDone(5);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return pending_.isEmpty();
}

} // namespace pigmo
