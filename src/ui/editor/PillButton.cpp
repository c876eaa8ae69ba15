#include "ui/editor/PillButton.h"

#include "services/LocalizationManager.h"
#include "ui/controls/FocusRing.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace pigmo {

PillButton::PillButton(const QString& iconName, QString textKey, Look look, LocalizationManager& localization,
                       QWidget* parent)
    : QAbstractButton(parent)
    , key_(std::move(textKey))
    , look_(std::move(look))
    , localization_(localization)
    , icon_(iconName.isEmpty() ? std::nullopt : loadBundleSVGImage(iconName))
{
    setFont(look_.font);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    ui::followKeyboardFocus(*this);
    connect(&localization_, &LocalizationManager::currentLanguageChanged, this, &PillButton::retranslate);
    retranslate();
}

void PillButton::retranslate()
{
    setText(localization_.string(key_));
    setAccessibleName(text());
    updateGeometry();
    update();
}

QSize PillButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    double width = metrics.horizontalAdvance(text()) + look_.padding.left() + look_.padding.right();
    double height = metrics.height();
    if (icon_) {
        width += look_.iconSide + look_.iconSpacing;
        height = std::max(height, look_.iconSide);
    }
    return {int(std::ceil(width)), int(std::ceil(height + look_.padding.top() + look_.padding.bottom()))};
}

void PillButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    painter.fillPath(ui::continuousRoundedRect(bounds, look_.radius), look_.fill(*this));
    if (isDown())
        painter.fillPath(ui::continuousRoundedRect(bounds, look_.radius), ui::primaryColor(*this, 0.05));
    const QColor color = look_.textColor(*this);
    const QRectF inner = bounds.marginsRemoved(look_.padding);
    double x = inner.left();
    if (icon_) {
        icon_->draw(painter, QRectF(x, inner.center().y() - look_.iconSide / 2, look_.iconSide, look_.iconSide), color);
        x += look_.iconSide + look_.iconSpacing;
    }
    painter.setPen(color);
    painter.drawText(QRectF(x, bounds.top(), bounds.right() - x, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
    ui::drawFocusRing(painter, *this, bounds, look_.radius);
}

} // namespace pigmo
