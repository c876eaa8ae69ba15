#include "ui/history/Thumbnails.h"

#include "render/ColorizationService.h"

#include <QCoreApplication>
#include <QPointer>

namespace pigmo {

Thumbnails::Thumbnails(QThreadPool& pool, int side, qreal devicePixelRatio, QObject* parent)
    : QObject(parent)
    , side_(side)
    , devicePixelRatio_(devicePixelRatio)
    , cache_(capacity)
    , pool_(pool)
{
}

Thumbnails::~Thumbnails()
{
    pool_.dropPending(); // what has not started is of no use any more
    pool_.waitForDone();
}

QImage Thumbnails::picture(const QString& key, const ColorizationData& data)
{
    if (const QImage* cached = cache_.object(key))
        return *cached;
    if (pending_.contains(key))
        return {};
    pending_.insert(key);
    ++started_;
    const int pixels = qRound(side_ * devicePixelRatio_);
    const qreal ratio = devicePixelRatio_;
    // The worker reads only its own copy of the style and hands the picture back through the event loop.
    pool_.start([self = QPointer<Thumbnails>(this), key, data, pixels, ratio, generation = generation_] {
        QImage image;
        if (const std::optional<QImage> icon = ColorizationService::generateIcon(data)) {
            image = icon->scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            image.setDevicePixelRatio(ratio);
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, key, generation, image] {
                if (self)
                    self->deliver(key, generation, image);
            },
            Qt::QueuedConnection);
    });
    return {};
}

void Thumbnails::deliver(const QString& key, quint64 generation, const QImage& image)
{
    if (generation != generation_)
        return;
    if (image.isNull())
        return; // no picture: the placeholder stays, and the key stays pending so it is not tried again
    pending_.remove(key);
    cache_.insert(key, new QImage(image));
    Q_EMIT pictureReady(key);
}

void Thumbnails::clear()
{
    ++generation_;
    pending_.clear();
    cache_.clear();
}

void Thumbnails::waitForRenderings()
{
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents();
}

} // namespace pigmo
