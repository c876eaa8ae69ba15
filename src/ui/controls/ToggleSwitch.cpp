#include "ui/controls/ToggleSwitch.h"

#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"

#include <QPainter>

namespace pigmo {

ToggleSwitch::ToggleSwitch(QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    animation_.setDuration(120);
    animation_.setEasingCurve(QEasingCurve::OutCubic);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        knob_ = value.toDouble();
        update();
    });
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        animation_.stop();
        if (!isVisible()) {
            knob_ = on ? 1 : 0;
            update();
            return;
        }
        animation_.setStartValue(knob_);
        animation_.setEndValue(on ? 1.0 : 0.0);
        animation_.start();
    });
}

bool ToggleSwitch::hitButton(const QPoint& position) const
{
    return rect().contains(position);
}

void ToggleSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const QColor off = ui::primaryColor(*this, 0.18);
    const QColor on = palette().color(QPalette::Highlight);
    QColor fill;
    fill.setRgbF(off.redF() + (on.redF() - off.redF()) * float(knob_),
                 off.greenF() + (on.greenF() - off.greenF()) * float(knob_),
                 off.blueF() + (on.blueF() - off.blueF()) * float(knob_),
                 off.alphaF() + (on.alphaF() - off.alphaF()) * float(knob_));
    if (!isEnabled())
        painter.setOpacity(0.45);
    painter.fillPath(ui::continuousRoundedRect(track, track.height() / 2), fill);
    const double diameter = track.height() - 4;
    const QRectF knob(track.left() + 2 + (track.width() - diameter - 4) * knob_, track.top() + 2, diameter, diameter);
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knob);
    painter.setOpacity(1);
    ui::drawFocusRing(painter, *this, track, track.height() / 2);
}

} // namespace pigmo
