#include "ui/editor/ApplyAnimationOverlay.h"

#include <QPainter>
#include <QRadialGradient>

namespace pigmo {

ApplyCardLook ApplyCardLook::of(ApplyAnimationPhase phase)
{
    switch (phase) {
    case ApplyAnimationPhase::hidden:
        return {0, 0, 0, 14};
    case ApplyAnimationPhase::rising:
        return {1, 0, 0, 14};
    case ApplyAnimationPhase::risen:
        return {1, -14, 0, 14};
    case ApplyAnimationPhase::crossing:
    case ApplyAnimationPhase::settled:
        return {0, 32, 1, -14};
    }
    return {};
}

ApplyCardLook ApplyCardLook::between(const ApplyCardLook& from, const ApplyCardLook& to, double progress)
{
    const auto mix = [progress](double a, double b) { return a + (b - a) * progress; };
    return {mix(from.beforeOpacity, to.beforeOpacity), mix(from.beforeOffset, to.beforeOffset),
            mix(from.afterOpacity, to.afterOpacity), mix(from.afterOffset, to.afterOffset)};
}

ApplyAnimationOverlay::ApplyAnimationOverlay(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ApplyAnimationOverlay::setItems(const QList<ApplyAnimationItem>& items)
{
    items_ = items;
    looks_ = QList<std::optional<ApplyCardLook>>(items.size());
    update();
}

void ApplyAnimationOverlay::setShowCheckmark(bool show)
{
    showCheckmark_ = show;
    update();
}

void ApplyAnimationOverlay::setStackOffset(double offset)
{
    stackOffset_ = offset;
    update();
}

void ApplyAnimationOverlay::setCardLook(int index, const std::optional<ApplyCardLook>& look)
{
    if (index < 0 || index >= looks_.size())
        return;
    looks_[index] = look;
    update();
}

ApplyCardLook ApplyAnimationOverlay::cardLook(int index) const
{
    if (index < 0 || index >= items_.size())
        return {};
    return looks_[index].value_or(ApplyCardLook::of(items_[index].phase));
}

void ApplyAnimationOverlay::setBadgeProgress(const std::optional<double>& progress)
{
    badgeProgress_ = progress;
    update();
}

double ApplyAnimationOverlay::cardSideForCount() const
{
    return items_.size() == 1 ? singleCardSide : cardSide;
}

QPointF ApplyAnimationOverlay::cardOffset(int index) const
{
    const double n = double(items_.size());
    return {index * stackOffset_ - (n - 1) * stackOffset_ / 2, 0};
}

QPointF ApplyAnimationOverlay::badgeOffset() const
{
    return {0, items_.size() > 1 ? 100.0 : 120.0};
}

double ApplyAnimationOverlay::badgeScale() const
{
    const double progress = badgeProgress_.value_or(showCheckmark_ ? 1.0 : 0.0);
    return hiddenBadgeScale + (1 - hiddenBadgeScale) * progress;
}

double ApplyAnimationOverlay::badgeOpacity() const
{
    return std::clamp(badgeProgress_.value_or(showCheckmark_ ? 1.0 : 0.0), 0.0, 1.0);
}

void ApplyAnimationOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QPointF centre = QRectF(rect()).center();
    for (int i = int(items_.size()) - 1; i >= 0; --i) // the first card in front
        paintCard(painter, i, centre + cardOffset(i));
    paintBadge(painter, centre + badgeOffset());
}

void ApplyAnimationOverlay::paintCard(QPainter& painter, int index, const QPointF& centre)
{
    const double side = cardSideForCount();
    const ApplyCardLook look = cardLook(index);
    const auto draw = [&](const QImage& image, double opacity, double offset) {
        if (image.isNull() || opacity <= 0)
            return;
        const QSizeF fitted = QSizeF(image.size()).scaled(QSizeF(side, side), Qt::KeepAspectRatio);
        painter.setOpacity(std::min(opacity, 1.0));
        painter.drawImage(QRectF(centre + QPointF(-fitted.width() / 2, offset - fitted.height() / 2), fitted), image);
    };
    draw(items_[index].before, look.beforeOpacity, look.beforeOffset);
    draw(items_[index].after, look.afterOpacity, look.afterOffset);
    painter.setOpacity(1);
}

void ApplyAnimationOverlay::paintBadge(QPainter& painter, const QPointF& centre)
{
    const double opacity = badgeOpacity();
    if (opacity <= 0)
        return;
    painter.save();
    painter.setOpacity(opacity);
    painter.translate(centre);
    painter.scale(badgeScale(), badgeScale());
    const double radius = badgeDiameter / 2;
    // The shadow: green at 35 %, blurred over 14 points, 4 points down.
    QRadialGradient shadow(QPointF(0, 4), radius + 14);
    QColor shade = badgeGreen;
    shade.setAlphaF(0.35f);
    shadow.setColorAt(0, shade);
    shadow.setColorAt(radius / (radius + 14), shade);
    shade.setAlphaF(0);
    shadow.setColorAt(1, shade);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(QPointF(0, 4), radius + 14, radius + 14);
    painter.setBrush(badgeGreen);
    painter.drawEllipse(QPointF(0, 0), radius, radius);
    // The checkmark, bold, about 26 points across.
    painter.setPen(QPen(Qt::white, 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QList<QPointF>{{-11, 1}, {-3.5, 8.5}, {11.5, -8.5}});
    painter.restore();
}

} // namespace pigmo
