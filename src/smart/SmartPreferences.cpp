#include "smart/SmartPreferences.h"

#include "storage/InterfaceLanguage.h"
#include "storage/Preferences.h"

#include <QLocale>
#include <QStringList>

namespace pigmo::smart {

QSet<QString> selectedFolderLanguages()
{
    if (Preferences::contains(prefs::folderLanguages)) {
        const QStringList stored = Preferences::value(prefs::folderLanguages);
        return QSet<QString>(stored.cbegin(), stored.cend());
    }
    return {QStringLiteral("en"), interfaceLanguage()};
}

QString interfaceLanguage()
{
    return InterfaceLanguage::initial(QLocale::system().uiLanguages());
}

IconLibrary preferredIconLibrary()
{
    return libraryNamed(Preferences::value(prefs::preferredIconLibrary)) == IconLibrary::emoji ? IconLibrary::emoji
                                                                                               : IconLibrary::lucide;
}

} // namespace pigmo::smart
