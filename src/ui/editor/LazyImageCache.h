#pragma once

#include "base/Executors.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace pigmo {

// Images made on demand off the GUI thread and kept in a cache bounded by their memory. A view asks for an
// image by key when it paints a cell: the cached image, or a null image while it is being made (the view is
// told by `imageReady` and paints again). An image that cannot be made is remembered as failed and announced
// by `imageFailed`, once. Making runs on the pool it is given; the cache drops what has not started and waits
// for what runs when it goes.
// GUI thread only (the `Make` functions run on the workers and must be safe there).
class LazyImageCache : public QObject {
    Q_OBJECT

public:
    using Make = std::function<std::optional<QImage>()>;

    // `workers`: the CPU pool for drawn images, the I/O pool for images read from folders.
    explicit LazyImageCache(QThreadPool& workers, qint64 maximumBytes = 24 * 1024 * 1024, QObject* parent = nullptr);
    ~LazyImageCache() override;

    // The image of `key`, or a null image while `make` runs (it is started once per key and not again while
    // the image stays cached, nor ever for a failed key).
    QImage image(const QString& key, const Make& make);
    bool contains(const QString& key) const { return cache_.contains(key); }
    // Forgets the images of the keys `matches` accepts (made, failed, or still being made), so that the next
    // request makes them anew: for pictures whose source changed.
    void forget(const std::function<bool(const QString& key)>& matches);
    bool hasFailed(const QString& key) const { return failed_.contains(key); }
    // How many images were asked to be made so far.
    int madeCount() const { return madeCount_; }
    int pendingCount() const { return int(pending_.size()); }
    // Waits (handling events) until nothing is being made, at most `milliseconds`; true when idle.
    bool waitUntilIdle(int milliseconds);

Q_SIGNALS:
    void imageReady(const QString& key);
    void imageFailed(const QString& key);

private:
    void deliver(const QString& key, const std::optional<QImage>& image);

    TaskGroup workers_;
    QCache<QString, QImage> cache_;
    QSet<QString> pending_;
    QSet<QString> failed_;
    QSet<QString> outdated_; // being made from a source that changed since: dropped when they arrive
    int madeCount_ = 0;
};

} // namespace pigmo
