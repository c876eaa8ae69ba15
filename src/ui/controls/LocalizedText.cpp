#include "ui/controls/LocalizedText.h"

#include "services/LocalizationManager.h"

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

void LocalizedText::retranslate()
{
    setText(textOf(manager_, key_, count_));
}

} // namespace pigmo
