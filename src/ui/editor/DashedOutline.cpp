#include "ui/editor/DashedOutline.h"

#include "ui/controls/ControlStyle.h"

#include <QEvent>
#include <QPainter>

namespace pigmo {

DashedOutline::DashedOutline(QWidget* covered, double inset, double opacity)
    : QWidget(covered)
    , inset_(inset)
    , opacity_(opacity)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(covered->rect());
    covered->installEventFilter(this);
    raise();
    show();
}

bool DashedOutline::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return false;
}

void DashedOutline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    constexpr double width = 3;
    QPen pen(ui::primaryColor(*this, opacity_), width, Qt::CustomDashLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setDashPattern({10 / width, 15 / width}); // in units of the pen's width
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(ui::continuousRoundedRect(QRectF(rect()).adjusted(inset_, inset_, -inset_, -inset_), 12));
}

} // namespace pigmo
