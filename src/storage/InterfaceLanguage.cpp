#include "storage/InterfaceLanguage.h"

#include "storage/Preferences.h"

#include <QLocale>

namespace pigmo {

const QList<InterfaceLanguage::Language>& InterfaceLanguage::supported()
{
    static const QList<Language> languages{
        {QStringLiteral("en"), QStringLiteral("English")},       {QStringLiteral("fr"), QStringLiteral("Français")},
        {QStringLiteral("it"), QStringLiteral("Italiano")},      {QStringLiteral("de"), QStringLiteral("Deutsch")},
        {QStringLiteral("es"), QStringLiteral("Español")},       {QStringLiteral("pt-BR"), QStringLiteral("Português")},
        {QStringLiteral("zh-Hans"), QStringLiteral("简体中文")}, {QStringLiteral("ja"), QStringLiteral("日本語")},
        {QStringLiteral("ko"), QStringLiteral("한국어")},        {QStringLiteral("ru"), QStringLiteral("Русский")},
        {QStringLiteral("cs"), QStringLiteral("Čeština")},
    };
    return languages;
}

QString InterfaceLanguage::matchPreferred(const QStringList& preferredLanguages)
{
    const QString tag = preferredLanguages.isEmpty() ? QStringLiteral("en") : preferredLanguages.first();
    const QLocale locale(tag);
    const QString withScript = QLocale::languageToCode(locale.language()) + u'-' +
                               QLocale::scriptToCode(locale.script()) + u'-' +
                               QLocale::territoryToCode(locale.territory());
    for (const QString& candidate : {tag, withScript}) {
        for (const Language& language : supported()) {
            if (candidate.startsWith(language.code))
                return language.code;
        }
    }
    return QStringLiteral("en");
}

QString InterfaceLanguage::initial(const QStringList& preferredLanguages)
{
    const QString forced = qEnvironmentVariable("TEST_LOCALE");
    if (!forced.isEmpty())
        return forced;
    if (const QString stored = Preferences::value(prefs::appLanguage); !stored.isEmpty())
        return stored;
    return matchPreferred(preferredLanguages);
}

} // namespace pigmo
