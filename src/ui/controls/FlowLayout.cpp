#include "ui/controls/FlowLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace pigmo {

FlowLayout::FlowLayout(double spacing, QWidget* parent)
    : QLayout(parent)
    , spacing_(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item)
{
    items_.append(item);
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QList<QLayoutItem*> FlowLayout::visibleItems() const
{
    QList<QLayoutItem*> visible;
    for (QLayoutItem* item : items_)
        if (!item->isEmpty())
            visible.append(item);
    return visible;
}

QSize FlowLayout::sizeThatFits(std::optional<int> width) const
{
    const double limit = width ? double(*width) : std::numeric_limits<double>::infinity();
    double x = 0, rowHeight = 0, height = 0;
    for (QLayoutItem* item : visibleItems()) {
        const QSize ideal = item->sizeHint();
        const double w = ideal.width(), h = ideal.height();
        if (x > 0 && x + spacing_ + w > limit) {
            height += rowHeight + spacing_;
            x = w;
            rowHeight = h;
        } else {
            x += w + (x > 0 ? spacing_ : 0);
            rowHeight = std::max(rowHeight, h);
        }
    }
    const int measuredWidth = width ? *width : int(std::ceil(x));
    return {measuredWidth, int(std::ceil(height + rowHeight))};
}

int FlowLayout::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    return sizeThatFits(width - m.left() - m.right()).height() + m.top() + m.bottom();
}

QSize FlowLayout::sizeHint() const
{
    const QMargins m = contentsMargins();
    return sizeThatFits(std::nullopt).grownBy(m);
}

QSize FlowLayout::minimumSize() const
{
    QSize widest;
    for (QLayoutItem* item : visibleItems())
        widest = widest.expandedTo(item->minimumSize());
    return widest.grownBy(contentsMargins());
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect area = rect.marginsRemoved(contentsMargins());
    double x = area.x(), y = area.y(), rowHeight = 0;
    for (QLayoutItem* item : visibleItems()) {
        const QSize ideal = item->sizeHint();
        if (x > area.x() && x + ideal.width() > area.x() + area.width()) {
            x = area.x();
            y += rowHeight + spacing_;
            rowHeight = 0;
        }
        item->setGeometry(QRect(QPoint(int(std::lround(x)), int(std::lround(y))), ideal));
        x += ideal.width() + spacing_;
        rowHeight = std::max(rowHeight, double(ideal.height()));
    }
}

} // namespace pigmo
