#include "ui/controls/SymbolView.h"

#include "ui/controls/AccessibleControls.h"
#include "ui/controls/FocusRing.h"

#include <QFocusEvent>
#include <QLayout>
#include <QPainter>

namespace pigmo {

SymbolView::SymbolView(const QString& systemName, int size, ui::ThemeColor color, QWidget* parent)
    : QWidget(parent)
    , systemName_(systemName)
    , image_(symbolImage(systemName))
    , color_(std::move(color))
{
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SymbolView::setColor(ui::ThemeColor color)
{
    color_ = std::move(color);
    update();
}

void SymbolView::paintEvent(QPaintEvent*)
{
    if (!image_)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    image_->draw(painter, QRectF(rect()), color_(*this));
}

PlainButton::PlainButton(QWidget* parent)
    : QAbstractButton(parent)
{
    // A plain button has no face of its own: its labels are drawn as text on the window, not on a button.
    setBackgroundRole(QPalette::Window);
    setForegroundRole(QPalette::WindowText);
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
}

TabButton::TabButton(QWidget* parent)
    : PlainButton(parent)
{
    setCheckable(true);
    setAutoExclusive(true);
    ui::installAccessibleControls();
}

TabBar::TabBar(QWidget* parent)
    : QWidget(parent)
{
    ui::installAccessibleControls();
}

void PlainButton::setBackground(std::optional<ui::ThemeColor> background, double radius)
{
    background_ = std::move(background);
    radius_ = radius;
    update();
}

void PlainButton::makeChildrenTransparent()
{
    for (QWidget* child : findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize PlainButton::sizeHint() const
{
    return layout() ? layout()->sizeHint() : QSize();
}

QSize PlainButton::minimumSizeHint() const
{
    return layout() ? layout()->minimumSize() : QSize();
}

void PlainButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    if (background_)
        painter.fillPath(ui::continuousRoundedRect(bounds, radius_), (*background_)(*this));
    ui::drawFocusRing(painter, *this, bounds.adjusted(1, 1, -1, -1), radius_);
}

} // namespace pigmo
