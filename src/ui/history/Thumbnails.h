#pragma once

#include "base/Executors.h"
#include "model/ColorizationData.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

namespace pigmo {

// The history's folder thumbnails, rendered on the given (CPU) pool when a row first asks for one and kept in a
// cache of at most `capacity` pictures (the least recently used go first). Each picture is keyed by the
// caller's stable identity of its row, never by the row's position. GUI thread, except the rendering.
class Thumbnails : public QObject {
    Q_OBJECT

public:
    static constexpr int capacity = 256;

    // Pictures of `side` points at `devicePixelRatio`.
    Thumbnails(QThreadPool& pool, int side, qreal devicePixelRatio, QObject* parent = nullptr);
    ~Thumbnails() override;

    // The picture of `key`, null until it is rendered; the first request starts its rendering.
    QImage picture(const QString& key, const ColorizationData& data);
    bool contains(const QString& key) const { return cache_.contains(key); }
    int cachedCount() const { return cache_.count(); }
    int renderingCount() const { return int(pending_.size()); }
    // Renderings started since creation (every one ran off the GUI thread).
    int renderedCount() const { return started_; }
    // Forgets every picture; renderings under way are dropped when they end.
    void clear();
    // Blocks until every rendering started so far has ended and delivers them (tests, benchmarks).
    void waitForRenderings();

Q_SIGNALS:
    void pictureReady(const QString& key);

private:
    void deliver(const QString& key, quint64 generation, const QImage& image);

    int side_;
    qreal devicePixelRatio_;
    QCache<QString, QImage> cache_;
    QSet<QString> pending_;
    quint64 generation_ = 0;
    int started_ = 0;
    TaskGroup pool_;
};

} // namespace pigmo
