#include "ui/onboarding/LoopingVideoView.h"

#include "storage/BundleResources.h"

#include <QFileInfo>
#include <QMovie>
#include <QPainter>
#include <QPainterPath>

namespace pigmo {

namespace {

const QColor boxTint(0, 0, 0, qRound(0.06 * 255));

} // namespace

LoopingVideoView::LoopingVideoView(std::optional<QString> resourceName, QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    if (!resourceName)
        return;
    const QString path = BundleResources::path(QStringLiteral("images/%1.webp").arg(*resourceName));
    if (!QFileInfo(path).isFile())
        return;
    auto movie = std::make_unique<QMovie>(path);
    if (!movie->isValid())
        return;
    movie_ = std::move(movie);
    movie_->setCacheMode(QMovie::CacheNone); // one decoded frame at a time, whatever the length
    connect(movie_.get(), &QMovie::frameChanged, this, qOverload<>(&QWidget::update));
    // The files loop forever; should one carry a finite loop count, it restarts at its first frame.
    connect(movie_.get(), &QMovie::finished, movie_.get(), &QMovie::start);
    movie_->start();
}

LoopingVideoView::~LoopingVideoView()
{
    if (movie_)
        movie_->stop();
}

bool LoopingVideoView::isPlaying() const
{
    return movie_ && movie_->state() == QMovie::Running;
}

QRectF LoopingVideoView::frameRect() const
{
    if (!movie_)
        return {};
    const QSizeF natural = movie_->currentImage().size();
    if (natural.isEmpty() || rect().isEmpty())
        return {};
    const QSizeF covered = natural.scaled(size(), Qt::KeepAspectRatioByExpanding);
    return {QPointF((width() - covered.width()) / 2, (height() - covered.height()) / 2), covered};
}

void LoopingVideoView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(box, boxTint);
    if (!movie_)
        return;
    const QRectF target = frameRect();
    if (target.isEmpty())
        return;
    painter.setClipPath(box);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, movie_->currentImage());
}

} // namespace pigmo
