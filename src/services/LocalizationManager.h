#pragma once

#include "storage/InterfaceLanguage.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace pigmo {

// One string table of the bundle: resources/strings/<code>/<table>.json, a flat JSON object key -> text.
class StringTable {
public:
    StringTable() = default;
    // The table of a language, or nothing when the file is missing or is not a flat object of texts.
    static std::optional<StringTable> load(const QString& languageCode, const QString& tableName);

    // The text of a key; the key itself when the table has no entry.
    QString text(const QString& key) const { return texts_.value(key, key); }
    bool contains(const QString& key) const { return texts_.contains(key); }

private:
    QHash<QString, QString> texts_;
};

// The interface language and its string table "General". Every user-visible text is a key looked up here,
// with the key itself as the fallback. Used on the GUI thread only.
class LocalizationManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString currentLanguage READ currentLanguage WRITE setCurrentLanguage NOTIFY currentLanguageChanged)

public:
    using Language = InterfaceLanguage::Language;
    // The interface languages offered, in menu order.
    static const QList<Language>& supportedLanguages();

    // `preferredLanguages`: the user's ordered language tags ("de-CH", "zh-Hant-HK"); the system's list
    // by default. The language is chosen as: "TEST_LOCALE" when set and not empty; the stored "AppLanguage";
    // else the preferred language. Nothing is stored at construction.
    explicit LocalizationManager(QObject* parent = nullptr);
    LocalizationManager(const QStringList& preferredLanguages, QObject* parent = nullptr);

    QString currentLanguage() const { return currentLanguage_; }
    // Stores the code under "AppLanguage" and reloads the table before anyone reads it again. Any text is
    // accepted; a code without a table falls back to the table of the preferred language.
    void setCurrentLanguage(const QString& code);

    // The table texts are looked up in (see `setCurrentLanguage`).
    const StringTable& bundle() const { return bundle_; }
    void loadBundle();

    // The text of a key in the current table, the key when it has no entry.
    QString string(const QString& key) const;
    // A counted text: the plural key's text (the plural key as fallback) used as a format whose one integer
    // placeholder ("%lld", "%d", "%1$lld", "%@" ...) takes the count.
    QString string(const QString& key, qint64 count) const;

    // The key followed by ".one", ".few" or ".many": the CLDR plural category of the count in the language
    // ("one", "few"; "many" and "other" both give ".many"). Unknown languages follow English.
    static QString pluralKey(const QString& key, qint64 count, const QString& languageCode);
    QString pluralKey(const QString& key, qint64 count) const;

    static QString matchPreferredLanguage(const QStringList& preferredLanguages)
    {
        return InterfaceLanguage::matchPreferred(preferredLanguages);
    }

Q_SIGNALS:
    void currentLanguageChanged(const QString& code);

private:
    QStringList preferredLanguages_;
    QString currentLanguage_;
    StringTable bundle_;
};

} // namespace pigmo
