#include "ui/editor/TabLabel.h"

#include "ui/controls/ControlStyle.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace pigmo {

QSize TabLabel::size(const QString& text) const
{
    const QFontMetricsF metrics(font);
    return {int(std::ceil(metrics.horizontalAdvance(text) + padding.left() + padding.right())),
            int(std::ceil(metrics.height() + padding.top() + padding.bottom()))};
}

void TabLabel::paint(QPainter& painter, const QRectF& rect, const QString& text, double selection) const
{
    const auto* widget = dynamic_cast<const QWidget*>(painter.device());
    if (!widget)
        return;
    if (tint && selection > 0)
        painter.fillPath(ui::continuousRoundedRect(rect, radius), ui::primaryColor(*widget, 0.1 * selection));
    painter.setFont(font);
    painter.setPen(ui::primaryColor(*widget, 0.3 + 0.7 * selection));
    painter.drawText(rect.marginsRemoved(padding), Qt::AlignCenter, text);
}

} // namespace pigmo
