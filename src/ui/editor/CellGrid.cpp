#include "ui/editor/CellGrid.h"

#include "ui/controls/ControlStyle.h"
#include "ui/controls/FocusRing.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace pigmo {

CellGrid::CellGrid(Metrics metrics, PaintCell paintCell, QWidget* parent)
    : QWidget(parent)
    , metrics_(std::move(metrics))
    , paintCell_(std::move(paintCell))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
}

void CellGrid::setCount(int count)
{
    count_ = std::max(0, count);
    current_ = std::min(current_, count_ - 1);
    updateGeometry();
    setFixedHeight(heightForWidth(width()));
    update();
}

double CellGrid::cellWidthAt(double width) const
{
    if (metrics_.cellWidth > 0)
        return metrics_.cellWidth;
    const double free = width - metrics_.columnSpacing * (metrics_.columns - 1);
    return std::max(1.0, free / metrics_.columns);
}

double CellGrid::cellHeightAt(double width) const
{
    return metrics_.cellHeight(cellWidthAt(width));
}

QRectF CellGrid::cellRect(int index) const
{
    const double cellWidth = cellWidthAt(width());
    const double cellHeight = cellHeightAt(width());
    const int row = index / metrics_.columns, column = index % metrics_.columns;
    return {column * (cellWidth + metrics_.columnSpacing), row * (cellHeight + metrics_.rowSpacing), cellWidth,
            cellHeight};
}

int CellGrid::indexAt(const QPointF& position) const
{
    const double cellWidth = cellWidthAt(width());
    const double cellHeight = cellHeightAt(width());
    const int column = int(std::floor(position.x() / (cellWidth + metrics_.columnSpacing)));
    const int row = int(std::floor(position.y() / (cellHeight + metrics_.rowSpacing)));
    if (column < 0 || column >= metrics_.columns || row < 0)
        return -1;
    const int index = row * metrics_.columns + column;
    return index < count_ && cellRect(index).contains(position) ? index : -1;
}

int CellGrid::heightForWidth(int width) const
{
    const int rows = (count_ + metrics_.columns - 1) / metrics_.columns;
    if (rows == 0)
        return 0;
    return int(std::ceil(rows * cellHeightAt(width) + (rows - 1) * metrics_.rowSpacing));
}

QSize CellGrid::sizeHint() const
{
    const int w =
        metrics_.cellWidth > 0
            ? int(std::ceil(metrics_.columns * metrics_.cellWidth + (metrics_.columns - 1) * metrics_.columnSpacing))
            : 300;
    return {w, heightForWidth(w)};
}

QSize CellGrid::minimumSizeHint() const
{
    return {metrics_.cellWidth > 0 ? sizeHint().width() : metrics_.columns * 10, 0};
}

void CellGrid::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int wanted = heightForWidth(width());
    if (height() != wanted)
        setFixedHeight(wanted);
}

void CellGrid::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF area = event->rect();
    const double cellHeight = cellHeightAt(width());
    const double rowStep = cellHeight + metrics_.rowSpacing;
    const int firstRow = std::max(0, int(std::floor(area.top() / rowStep)));
    const int lastRow = int(std::floor(area.bottom() / rowStep));
    paintedCells_ = 0;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < metrics_.columns; ++column) {
            const int index = row * metrics_.columns + column;
            if (index >= count_)
                break;
            const QRectF rect = cellRect(index);
            if (!rect.intersects(area))
                continue;
            painter.save();
            paintCell_(painter, rect, index);
            painter.restore();
            ++paintedCells_;
        }
    }
    if (current_ >= 0)
        ui::drawFocusRing(painter, *this, cellRect(current_).adjusted(-2, -2, 2, 2), 6);
}

void CellGrid::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton ? indexAt(event->position()) : -1;
    event->setAccepted(pressed_ >= 0);
}

void CellGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const int index = event->button() == Qt::LeftButton ? indexAt(event->position()) : -1;
    if (index >= 0 && index == pressed_) {
        current_ = index;
        update();
        Q_EMIT activated(index);
    }
    pressed_ = -1;
}

void CellGrid::keyPressEvent(QKeyEvent* event)
{
    if (count_ == 0)
        return QWidget::keyPressEvent(event);
    int next = current_;
    switch (event->key()) {
    case Qt::Key_Left:
        next = std::max(0, current_ - 1);
        break;
    case Qt::Key_Right:
        next = std::min(count_ - 1, current_ + 1);
        break;
    case Qt::Key_Up:
        next = current_ - metrics_.columns >= 0 ? current_ - metrics_.columns : current_;
        break;
    case Qt::Key_Down:
        next = current_ < 0 ? 0 : std::min(count_ - 1, current_ + metrics_.columns);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (current_ >= 0)
            Q_EMIT activated(current_);
        return;
    default:
        return QWidget::keyPressEvent(event);
    }
    current_ = std::max(0, next);
    ui::noteKeyboardNavigation(*this);
    update();
}

} // namespace pigmo
