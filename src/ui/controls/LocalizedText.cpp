#include "ui/controls/LocalizedText.h"

#include "services/LocalizationManager.h"

#include <QEvent>

namespace pigmo {

LocalizedText::LocalizedText(LocalizationManager& localizationManager, QString key, std::optional<qint64> count,
                             QWidget* parent)
    : QLabel(parent)
    , manager_(localizationManager)
    , key_(std::move(key))
    , count_(count)
{
    setTextFormat(Qt::PlainText);
    connect(&manager_, &LocalizationManager::currentLanguageChanged, this, &LocalizedText::retranslate);
    retranslate();
}

void setLocalizedAccessibleName(QWidget& widget, const LocalizationManager& manager, const QString& key,
                                bool withToolTip)
{
    const auto name = [&widget, &manager, key, withToolTip] {
        widget.setAccessibleName(manager.string(key));
        if (withToolTip)
            widget.setToolTip(widget.accessibleName());
    };
    name();
    QObject::connect(&manager, &LocalizationManager::currentLanguageChanged, &widget, name);
}

QString LocalizedText::textOf(const LocalizationManager& manager, const QString& key, std::optional<qint64> count)
{
    return count ? manager.string(key, *count) : manager.string(key);
}

void LocalizedText::setKey(const QString& key)
{
    key_ = key;
    retranslate();
}

void LocalizedText::setCount(std::optional<qint64> count)
{
    count_ = count;
    retranslate();
}

void LocalizedText::setForeground(ui::ThemeColor color)
{
    foreground_ = std::move(color);
    // A label inside a button would otherwise draw in the button's text role.
    setForegroundRole(QPalette::WindowText);
    applyForeground();
}

void LocalizedText::applyForeground()
{
    if (!foreground_ || applying_)
        return;
    applying_ = true;
    const QWidget& reference = parentWidget() ? *parentWidget() : *this;
    QPalette colored = palette();
    colored.setColor(QPalette::WindowText, foreground_(reference));
    setPalette(colored);
    applying_ = false;
}

bool LocalizedText::event(QEvent* event)
{
    const bool handled = QLabel::event(event);
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
    case QEvent::Polish:
    case QEvent::Show:
        applyForeground();
        break;
    default:
        break;
    }
    return handled;
}

void LocalizedText::retranslate()
{
    setText(textOf(manager_, key_, count_));
}

} // namespace pigmo
