#include "services/IconStylePreferenceManager.h"

#include "storage/Preferences.h"

namespace pigmo {

QString IconStylePreferenceManager::rawValue(IconLibrary preference)
{
    return libraryName(preference == IconLibrary::emoji ? IconLibrary::emoji : IconLibrary::lucide);
}

std::optional<IconLibrary> IconStylePreferenceManager::preference(const QString& rawValue)
{
    const std::optional<IconLibrary> named = libraryNamed(rawValue);
    if (named != IconLibrary::lucide && named != IconLibrary::emoji)
        return std::nullopt;
    return named;
}

IconStylePreferenceManager::IconStylePreferenceManager(QObject* parent)
    : QObject(parent)
    , preferredLibrary_(preference(Preferences::value(prefs::preferredIconLibrary)).value_or(IconLibrary::lucide))
{
}

void IconStylePreferenceManager::setPreferredLibrary(IconLibrary preference)
{
    preferredLibrary_ = preference;
    Preferences::setValue(prefs::preferredIconLibrary, rawValue(preference));
    Q_EMIT preferredLibraryChanged(preference);
}

} // namespace pigmo
