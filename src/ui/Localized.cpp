#include "ui/Localized.h"

#include "services/LocalizationManager.h"

namespace pigmo::ui {

QString localized(const QString& key)
{
    return LocalizationManager::shared().string(key);
}

} // namespace pigmo::ui
