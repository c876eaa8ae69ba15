#include "services/IconStylePreferenceManager.h"

#include "storage/Preferences.h"

namespace pigmo {

QString IconStylePreferenceManager::rawValue(Preference preference)
{
    return preference == Preference::emoji ? QStringLiteral("emoji") : QStringLiteral("lucide");
}

std::optional<IconStylePreferenceManager::Preference> IconStylePreferenceManager::preference(const QString& rawValue)
{
    if (rawValue == u"lucide")
        return Preference::lucide;
    if (rawValue == u"emoji")
        return Preference::emoji;
    return std::nullopt;
}

IconStylePreferenceManager::IconStylePreferenceManager(QObject* parent)
    : QObject(parent)
    , preferredLibrary_(preference(Preferences::value(prefs::preferredIconLibrary)).value_or(Preference::lucide))
{
}

void IconStylePreferenceManager::setPreferredLibrary(Preference preference)
{
    preferredLibrary_ = preference;
    Preferences::setValue(prefs::preferredIconLibrary, rawValue(preference));
    Q_EMIT preferredLibraryChanged(preference);
}

} // namespace pigmo
