#include "ui/controls/SegmentedPicker.h"

#include "ui/controls/AccessibleControls.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace pigmo {

SegmentedPickerBase::SegmentedPickerBase(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QEasingCurve easeOut(QEasingCurve::BezierSpline);
    easeOut.addCubicBezierSegment({0, 0}, {0.58, 1}, {1, 1});
    animation_.setEasingCurve(easeOut);
    animation_.setDuration(animationMilliseconds);
    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this] { update(); });
    ui::installAccessibleControls();
}

double SegmentedPickerBase::selectionAmount(int index) const
{
    const int selected = selectedIndex();
    const double progress = isAnimating() ? animation_.currentValue().toDouble() : 1.0;
    if (index == selected)
        return selected == animatedFrom_ ? 1.0 : progress;
    if (index == animatedFrom_ && isAnimating())
        return 1.0 - progress;
    return 0.0;
}

QRect SegmentedPickerBase::segmentRect(int index) const
{
    int x = 0;
    for (int i = 0; i < index; ++i)
        x += segmentSize(i).width() + spacing;
    const QSize size = segmentSize(index);
    return {x, (height() - size.height()) / 2, size.width(), size.height()};
}

QSize SegmentedPickerBase::sizeHint() const
{
    int width = 0, height = 0;
    for (int i = 0; i < itemCount(); ++i) {
        const QSize size = segmentSize(i);
        width += size.width() + (i > 0 ? spacing : 0);
        height = std::max(height, size.height());
    }
    return {width, height};
}

void SegmentedPickerBase::press(int index)
{
    if (index < 0 || index >= itemCount())
        return;
    animatedFrom_ = selectedIndex();
    writeSelection(index);
    animation_.stop();
    animation_.start();
    update();
    ui::notifySegmentSelection(*this, animatedFrom_, selectedIndex());
}

void SegmentedPickerBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < itemCount(); ++i) {
        painter.save();
        paintSegment(painter, QRectF(segmentRect(i)), i, selectionAmount(i));
        painter.restore();
    }
    const int selected = selectedIndex();
    ui::drawFocusRing(painter, *this, QRectF(selected >= 0 ? segmentRect(selected) : rect()), 6);
}

void SegmentedPickerBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    for (int i = 0; i < itemCount(); ++i) {
        if (segmentRect(i).contains(event->position().toPoint())) {
            press(i);
            return;
        }
    }
}

void SegmentedPickerBase::keyPressEvent(QKeyEvent* event)
{
    const int selected = selectedIndex();
    if (event->key() == Qt::Key_Left)
        return press(selected <= 0 ? 0 : selected - 1);
    if (event->key() == Qt::Key_Right)
        return press(selected < 0 ? 0 : std::min(selected + 1, itemCount() - 1));
    QWidget::keyPressEvent(event);
}

} // namespace pigmo
