#include "services/LocalizationManager.h"

#include "storage/BundleResources.h"
#include "storage/Preferences.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>

#include <cstdlib>

namespace pigmo {
namespace {

enum class PluralCategory { one, few, many, other };

// CLDR cardinal plural rules for integers (n = |count|) of the interface languages.
PluralCategory pluralCategory(const QString& languageCode, qint64 count)
{
    const qint64 n = count < 0 ? -count : count;
    const QString language = languageCode.section(u'-', 0, 0);
    if (language == u"ja" || language == u"ko" || language == u"zh")
        return PluralCategory::other;
    if (language == u"fr" || language == u"pt") // pt is the Brazilian rule: i = 0..1
        return n <= 1 ? PluralCategory::one : PluralCategory::other;
    if (language == u"cs") {
        if (n == 1)
            return PluralCategory::one;
        return n >= 2 && n <= 4 ? PluralCategory::few : PluralCategory::other;
    }
    if (language == u"ru") {
        const qint64 mod10 = n % 10, mod100 = n % 100;
        if (mod10 == 1 && mod100 != 11)
            return PluralCategory::one;
        if (mod10 >= 2 && mod10 <= 4 && (mod100 < 12 || mod100 > 14))
            return PluralCategory::few;
        return PluralCategory::many;
    }
    return n == 1 ? PluralCategory::one : PluralCategory::other; // en, de, it, es and unknown languages
}

QString formatCount(QString format, qint64 count)
{
    static const QRegularExpression placeholder(QStringLiteral("%(?:\\d+\\$)?(?:ll|l|q|z)?[diu@]"));
    const QRegularExpressionMatch match = placeholder.match(format);
    if (match.hasMatch())
        format.replace(match.capturedStart(), match.capturedLength(), QString::number(count));
    return format.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

} // namespace

std::optional<StringTable> StringTable::load(const QString& languageCode, const QString& tableName)
{
    if (languageCode.isEmpty() || languageCode.contains(u'/') || languageCode.startsWith(u'.'))
        return std::nullopt;
    QFile file(BundleResources::path(QStringLiteral("strings/%1/%2.json").arg(languageCode, tableName)));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return std::nullopt;
    StringTable table;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isString())
            table.texts_.insert(it.key(), it.value().toString());
    }
    return table;
}

const QList<LocalizationManager::Language>& LocalizationManager::supportedLanguages()
{
    return InterfaceLanguage::supported();
}

LocalizationManager::LocalizationManager(QObject* parent)
    : LocalizationManager(QLocale::system().uiLanguages(), parent)
{
}

LocalizationManager::LocalizationManager(const QStringList& preferredLanguages, QObject* parent)
    : QObject(parent)
    , preferredLanguages_(preferredLanguages)
{
    currentLanguage_ = InterfaceLanguage::initial(preferredLanguages_);
    loadBundle();
}

void LocalizationManager::setCurrentLanguage(const QString& code)
{
    currentLanguage_ = code;
    Preferences::setValue(prefs::appLanguage, code);
    loadBundle();
    Q_EMIT currentLanguageChanged(code);
}

void LocalizationManager::loadBundle()
{
    if (std::optional<StringTable> table = StringTable::load(currentLanguage_, QStringLiteral("General")))
        bundle_ = std::move(*table);
    else
        bundle_ = StringTable::load(matchPreferredLanguage(preferredLanguages_), QStringLiteral("General"))
                      .value_or(StringTable());
}

QString LocalizationManager::string(const QString& key) const
{
    return bundle_.text(key);
}

QString LocalizationManager::string(const QString& key, qint64 count) const
{
    return formatCount(bundle_.text(pluralKey(key, count)), count);
}

QString LocalizationManager::pluralKey(const QString& key, qint64 count, const QString& languageCode)
{
    switch (pluralCategory(languageCode, count)) {
    case PluralCategory::one:
        return key + QStringLiteral(".one");
    case PluralCategory::few:
        return key + QStringLiteral(".few");
    case PluralCategory::many:
    case PluralCategory::other:
        break;
    }
    return key + QStringLiteral(".many");
}

QString LocalizationManager::pluralKey(const QString& key, qint64 count) const
{
    return pluralKey(key, count, currentLanguage_);
}

} // namespace pigmo
