#include "ui/controls/TextButton.h"

#include "services/LocalizationManager.h"
#include "ui/controls/FocusRing.h"
#include "ui/controls/LocalizedText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include <cmath>

namespace pigmo {

TextButton::TextButton(std::function<void()> action, std::optional<TemplateImage> icon, QString textKey,
                       std::optional<qint64> count, ui::ThemeColor textColor, ui::ThemeColor color, bool expandWidth,
                       double verticalPadding, LocalizationManager& localization, QWidget* parent)
    : QAbstractButton(parent)
    , icon_(std::move(icon))
    , textColor_(std::move(textColor))
    , color_(std::move(color))
    , verticalPadding_(verticalPadding)
{
    setFocusPolicy(Qt::StrongFocus);
    ui::followKeyboardFocus(*this);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(expandWidth ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto* row = new QHBoxLayout(this);
    const int vertical = int(std::lround(verticalPadding_));
    row->setContentsMargins(20, vertical, 20, vertical);
    row->setSpacing(8);
    row->addStretch(1);
    if (icon_) {
        iconLabel_ = new QLabel;
        iconLabel_->setFixedSize(16, 16);
        row->addWidget(iconLabel_, 0, Qt::AlignVCenter);
    }
    label_ = new LocalizedText(localization, std::move(textKey), count);
    label_->setFont(ui::textFont(ui::TextStyle::title3));
    label_->setForeground(textColor_);
    row->addWidget(label_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    for (QWidget* child : findChildren<QWidget*>())
        child->setAttribute(Qt::WA_TransparentForMouseEvents);

    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] {
        if (action)
            action();
    });
    setAccessibleName(label_->text());
    connect(&localization, &LocalizationManager::currentLanguageChanged, this, [this, &localization] {
        setAccessibleName(LocalizedText::textOf(localization, label_->key(), label_->count()));
    });
    updateColors();
}

void TextButton::setCount(std::optional<qint64> count)
{
    label_->setCount(count);
    setAccessibleName(label_->text());
    updateGeometry();
}

QSize TextButton::sizeHint() const
{
    return layout()->sizeHint();
}

void TextButton::updateColors()
{
    if (iconLabel_)
        iconLabel_->setPixmap(icon_->pixmap({16, 16}, textColor_(*this), devicePixelRatioF()));
}

void TextButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        updateColors();
}

void TextButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = color_(*this);
    if (isDown())
        fill = fill.darker(115);
    painter.fillPath(ui::continuousRoundedRect(QRectF(rect()), 12), fill);
    ui::drawFocusRing(painter, *this, QRectF(rect()), 12);
}

} // namespace pigmo
