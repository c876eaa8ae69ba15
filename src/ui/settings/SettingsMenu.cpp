#include "ui/settings/SettingsMenu.h"

#include "services/LocalizationManager.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/LocalizedText.h"
#include "ui/controls/PopupPlacement.h"
#include "ui/controls/TextTint.h"
#include "ui/controls/WidgetRemoval.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace pigmo {

SettingsMenuPopup::SettingsMenuPopup(QWidget* parent)
    : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
{
    // A press outside only closes the menu: pressed on the row's own button it must not reopen it.
    setAttribute(Qt::WA_NoMouseReplay);
    setMinimumWidth(menuWidth);
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 8, 0, 8);
    column_->setSpacing(8);
}

PlainButton* SettingsMenuPopup::addOption(const std::function<void(QHBoxLayout& row)>& fill,
                                          std::function<void()> action)
{
    auto* option = new PlainButton(this);
    option->setBackground(std::nullopt, 6);
    auto* row = new QHBoxLayout(option);
    row->setContentsMargins(12, 8, 12, 8);
    fill(*row);
    option->makeChildrenTransparent();
    QStringList words;
    for (const QLabel* label : option->findChildren<QLabel*>()) {
        if (!label->text().isEmpty())
            words.append(label->text());
    }
    option->setAccessibleName(words.join(u' '));
    connect(option, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
    column_->addWidget(option);
    options_.append(option);
    return option;
}

void SettingsMenuPopup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QPainterPath shape = ui::continuousRoundedRect(bounds, 10);
    painter.fillPath(shape, palette().color(QPalette::Window));
    painter.setPen(QPen(ui::primaryColor(*this, 0.15), 1));
    painter.drawPath(shape);
}

void SettingsMenuPopup::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (!options_.isEmpty())
        options_.first()->setFocus(Qt::PopupFocusReason);
}

void SettingsMenuPopup::keyPressEvent(QKeyEvent* event)
{
    const int current = int(options_.indexOf(qobject_cast<PlainButton*>(focusWidget())));
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current >= 0)
            options_[current]->click();
        return;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (!options_.isEmpty()) {
            const int step = event->key() == Qt::Key_Down ? 1 : -1;
            const int next = (std::max(current, 0) + step + int(options_.size())) % int(options_.size());
            options_[next]->setFocus(Qt::TabFocusReason);
        }
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void SettingsMenuPopup::hideEvent(QHideEvent* event)
{
    QFrame::hideEvent(event);
    Q_EMIT closed();
}

SettingsCard::SettingsCard(QWidget* parent)
    : QWidget(parent)
{
}

void SettingsCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(ui::continuousRoundedRect(QRectF(rect()), 12), ui::primaryColor(*this, 0.05));
}

SettingsMenuRow::SettingsMenuRow(LocalizationManager& localization, const QString& titleKey, FillLabel fillLabel,
                                 QWidget* parent)
    : QWidget(parent)
    , fillLabel_(std::move(fillLabel))
{
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* card = new SettingsCard;
    outer->addWidget(card);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(16, 14, 16, 14);
    auto* title = new LocalizedText(localization, titleKey);
    title->setFont(ui::systemFont(13, QFont::DemiBold));
    ui::setTextOpacity(*title, 0.5);
    row->addWidget(title);
    row->addStretch(1);
    button_ = new PlainButton;
    button_->setBackground(std::nullopt, 6);
    labelRow_ = new QHBoxLayout(button_);
    labelRow_->setContentsMargins(4, 2, 4, 2);
    labelRow_->setSpacing(8);
    row->addWidget(button_);
    refreshLabel();
    connect(button_, &QAbstractButton::clicked, this, [this] { setMenuPresented(!isMenuPresented()); });
    connect(&localization, &LocalizationManager::currentLanguageChanged, this,
            [this, title] { button_->setAccessibleName(title->text()); });
    button_->setAccessibleName(title->text());
}

void SettingsMenuRow::refreshLabel()
{
    while (QLayoutItem* item = labelRow_->takeAt(0)) {
        ui::discard(item->widget());
        delete item;
    }
    fillLabel_(*labelRow_);
    button_->makeChildrenTransparent();
    button_->updateGeometry();
}

void SettingsMenuRow::setMenuPresented(bool presented)
{
    if (presented == isMenuPresented())
        return;
    if (!presented) {
        menu_->close();
        return;
    }
    // A closed menu is kept until the next one opens: whoever still holds it (a test, a picture) may read it.
    ui::discard(closedMenu_);
    menu_ = new SettingsMenuPopup(window());
    if (fillMenu_)
        fillMenu_(*menu_);
    connect(menu_, &SettingsMenuPopup::closed, this, [this, menu = menu_.data()] {
        if (menu_ != menu)
            return;
        closedMenu_ = menu;
        menu_ = nullptr;
        Q_EMIT menuClosed();
    });
    menu_->adjustSize();
    ui::placePopup(*menu_, *button_, 4, ui::PopupAlignment::centred);
    menu_->show();
}

} // namespace pigmo
