#include "ui/controls/FocusRing.h"

#include "ui/controls/ControlStyle.h"

#include <QEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QWidget>

namespace pigmo::ui {
namespace {

// Watches one control's focus and mouse events; a child of the control, so it goes with it.
class KeyboardFocusWatch : public QObject {
public:
    explicit KeyboardFocusWatch(QWidget& control)
        : QObject(&control)
    {
        control.installEventFilter(this);
    }

    bool keyboard = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn:
            follow(static_cast<QFocusEvent*>(event)->reason());
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            keyboard = false;
            static_cast<QWidget*>(watched)->update();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void follow(Qt::FocusReason reason)
    {
        switch (reason) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
            keyboard = true;
            break;
        case Qt::ActiveWindowFocusReason:
        case Qt::PopupFocusReason:
            break; // the focus comes back to where it was
        default:
            keyboard = false;
            break;
        }
    }
};

KeyboardFocusWatch* watchOf(const QWidget& control)
{
    for (QObject* child : control.children())
        if (auto* watch = dynamic_cast<KeyboardFocusWatch*>(child))
            return watch;
    return nullptr;
}

} // namespace

void followKeyboardFocus(QWidget& control)
{
    if (!watchOf(control))
        new KeyboardFocusWatch(control);
}

void noteKeyboardNavigation(QWidget& control)
{
    if (KeyboardFocusWatch* watch = watchOf(control))
        watch->keyboard = true;
}

bool hasKeyboardFocus(const QWidget& control)
{
    const KeyboardFocusWatch* watch = watchOf(control);
    return watch && watch->keyboard && control.hasFocus();
}

void drawFocusRing(QPainter& painter, const QWidget& control, const QRectF& rect, double radius)
{
    if (!hasKeyboardFocus(control))
        return;
    painter.save();
    QColor ring = control.palette().color(QPalette::Highlight);
    ring.setAlphaF(0.7f);
    painter.setPen(QPen(ring, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(rect.adjusted(1, 1, -1, -1), radius));
    painter.restore();
}

} // namespace pigmo::ui
