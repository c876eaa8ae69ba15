#include "ui/controls/ElidedLabel.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace pigmo {

ElidedLabel::ElidedLabel(QString text, Qt::TextElideMode mode, QWidget* parent)
    : QWidget(parent)
    , text_(std::move(text))
    , mode_(mode)
    , color_(ui::primary())
{
    setAccessibleName(text_);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    setAccessibleName(text_);
    updateGeometry();
    update();
}

QString ElidedLabel::shownText() const
{
    return QFontMetrics(font()).elidedText(text_, mode_, contentsRect().width());
}

void ElidedLabel::setColor(ui::ThemeColor color)
{
    color_ = std::move(color);
    update();
}

void ElidedLabel::setAlignment(Qt::Alignment alignment)
{
    alignment_ = alignment;
    update();
}

QSize ElidedLabel::sizeHint() const
{
    // Rounded up from the exact advance, which is what the eliding compares with.
    const QFontMetricsF metrics(font());
    const QMargins margins = contentsMargins();
    return {int(std::ceil(metrics.horizontalAdvance(text_))) + margins.left() + margins.right(),
            QFontMetrics(font()).height() + margins.top() + margins.bottom()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return {margins.left() + margins.right(), QFontMetrics(font()).height() + margins.top() + margins.bottom()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(color_(*this));
    painter.setFont(font());
    painter.drawText(contentsRect(), int(alignment_), shownText());
}

} // namespace pigmo
