#include "ui/controls/TrackSlider.h"

#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace pigmo {

std::optional<double> TrackSlider::fractionAt(double x, double usableLength)
{
    if (!(usableLength > 0) || !std::isfinite(usableLength) || !std::isfinite(x))
        return std::nullopt;
    return std::clamp(x, 0.0, usableLength) / usableLength;
}

TrackSlider::TrackSlider(double trackHeight, QWidget* parent)
    : QWidget(parent)
    , trackHeight_(trackHeight)
{
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(int(std::ceil(trackHeight)));
}

QSize TrackSlider::sizeHint() const
{
    return {int(std::ceil(trackHeight_ * 6)), int(std::ceil(trackHeight_))};
}

QSize TrackSlider::minimumSizeHint() const
{
    return {int(std::ceil(trackHeight_ * 2)), int(std::ceil(trackHeight_))};
}

bool TrackSlider::dragTo(double x)
{
    const std::optional<double> f = fractionAt(x, usableLength());
    if (!f || !spanIsUsable())
        return false;
    writeFraction(*f);
    update();
    return true;
}

void TrackSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(0, (height() - trackHeight_) / 2, width(), trackHeight_);
    double f = fraction();
    if (!std::isfinite(f))
        f = 0;
    paintTrack(painter, track, std::max(usableLength(), 0.0) * f);
    ui::drawFocusRing(painter, *this, track.adjusted(-1, -1, 1, 1), trackHeight_ / 2 + 1);
}

void TrackSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    dragging_ = true;
    Q_EMIT editingChanged(true);
    dragTo(event->position().x());
}

void TrackSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return QWidget::mouseMoveEvent(event);
    Q_EMIT editingChanged(true);
    dragTo(event->position().x());
}

void TrackSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_ || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    Q_EMIT editingChanged(false);
}

void TrackSlider::moveByKeyboard(double target)
{
    if (!spanIsUsable())
        return;
    writeFraction(std::clamp(target, 0.0, 1.0));
    update();
}

void TrackSlider::keyPressEvent(QKeyEvent* event)
{
    const double f = std::isfinite(fraction()) ? std::clamp(fraction(), 0.0, 1.0) : 0.0;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        return moveByKeyboard(f - keyboardStep_);
    case Qt::Key_Right:
    case Qt::Key_Up:
        return moveByKeyboard(f + keyboardStep_);
    case Qt::Key_PageDown:
        return moveByKeyboard(f - keyboardStep_ * 10);
    case Qt::Key_PageUp:
        return moveByKeyboard(f + keyboardStep_ * 10);
    case Qt::Key_Home:
        return moveByKeyboard(0);
    case Qt::Key_End:
        return moveByKeyboard(1);
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace pigmo
