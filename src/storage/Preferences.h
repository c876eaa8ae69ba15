#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace pigmo {

// One preference: its stored name, its type and the value read when it is absent.
template <class T>
struct PreferenceKey {
    const char* name;
    T defaultValue;
};

// Every preference of the program, in one table. Names are those the stored files use; add new keys here.
namespace prefs {
// History store and legacy migration.
inline const PreferenceKey<bool> historyStoreMigrated{"ColorizationHistoryStoreMigrated", false};
inline const PreferenceKey<QByteArray> legacyHistoryIDs{"ColorizationHistoryIDs", {}};
// Interface language and the languages folder names are read in (the keyword index reads the latter).
inline const PreferenceKey<QString> appLanguage{"AppLanguage", {}};
inline const PreferenceKey<QStringList> folderLanguages{"FolderLanguages", {}};
// Glyph library preferred by automatic styling: "lucide" or "emoji".
inline const PreferenceKey<QString> preferredIconLibrary{"io.velmar.Pigmo.preferredIconLibrary",
                                                         QStringLiteral("lucide")};
} // namespace prefs

// The program's standard preferences: an INI file at $XDG_CONFIG_HOME/io.velmar.pigmo2/preferences.ini.
// Thread-safe; every write is flushed to disk before it returns.
class Preferences {
public:
    template <class T>
    static T value(const PreferenceKey<T>& key)
    {
        const QVariant stored = read(key.name);
        return stored.isValid() ? stored.value<T>() : key.defaultValue;
    }

    template <class T>
    static void setValue(const PreferenceKey<T>& key, const T& value)
    {
        write(key.name, QVariant::fromValue(value));
    }

    template <class T>
    static bool contains(const PreferenceKey<T>& key)
    {
        return read(key.name).isValid();
    }

    template <class T>
    static void remove(const PreferenceKey<T>& key)
    {
        erase(key.name);
    }

    static QString filePath();

private:
    static QVariant read(const char* name);
    static void write(const char* name, const QVariant& value);
    static void erase(const char* name);
};

} // namespace pigmo
