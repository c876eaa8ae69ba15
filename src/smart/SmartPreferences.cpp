#include "smart/SmartPreferences.h"

#include "storage/Preferences.h"

#include <QLocale>
#include <QStringList>

namespace pigmo::smart {
namespace {

QString matchPreferredLanguage()
{
    static const QStringList codes = {QStringLiteral("en"),      QStringLiteral("fr"), QStringLiteral("it"),
                                      QStringLiteral("de"),      QStringLiteral("es"), QStringLiteral("pt-BR"),
                                      QStringLiteral("zh-Hans"), QStringLiteral("ja"), QStringLiteral("ko"),
                                      QStringLiteral("ru"),      QStringLiteral("cs")};
    const QString preferred = QLocale::system().uiLanguages().value(0, QStringLiteral("en"));
    for (const QString& code : codes) {
        if (preferred.startsWith(code))
            return code;
    }
    return QStringLiteral("en");
}

} // namespace

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
    const QString forced = qEnvironmentVariable("TEST_LOCALE");
    if (!forced.isEmpty())
        return forced;
    if (!qEnvironmentVariableIsSet("XCTestConfigurationFilePath") && Preferences::contains(prefs::appLanguage))
        return Preferences::value(prefs::appLanguage);
    return matchPreferredLanguage();
}

IconLibrary preferredIconLibrary()
{
    return Preferences::value(prefs::preferredIconLibrary) == u"emoji" ? IconLibrary::emoji : IconLibrary::lucide;
}

} // namespace pigmo::smart
