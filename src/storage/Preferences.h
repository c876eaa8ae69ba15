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
// Appearance and display mode. An empty display mode means "not stored" (both tray and window).
inline const PreferenceKey<QString> selectedTheme{"selectedTheme", QStringLiteral("system")};
inline const PreferenceKey<QString> appDisplayMode{"appDisplayMode", {}};
// Interface language and the languages folder names are read in (the keyword index reads the latter).
inline const PreferenceKey<QString> appLanguage{"AppLanguage", {}};
inline const PreferenceKey<QStringList> folderLanguages{"FolderLanguages", {}};
// Glyph library preferred by automatic styling: "lucide" or "emoji".
inline const PreferenceKey<QString> preferredIconLibrary{"io.velmar.Pigmo.preferredIconLibrary",
                                                         QStringLiteral("lucide")};
// Launch at login: true once the first-run registration has been decided.
inline const PreferenceKey<bool> hasSetLaunchAtLoginDefault{"hasSetLaunchAtLoginDefault", false};
// Custom colours: JSON text of an array of six-digit hexadecimal texts.
inline const PreferenceKey<QByteArray> customColors{"customColors", {}};
// Full Disk Access prompt suppressed by the user.
inline const PreferenceKey<bool> fdaSuppressed{"fda_suppressed", false};
// Folder watcher switch and the paths of its watched directories.
inline const PreferenceKey<bool> folderWatcherEnabled{"io.velmar.Pigmo.folderWatcher.enabled", false};
inline const PreferenceKey<QStringList> folderWatcherDirectories{"io.velmar.Pigmo.folderWatcher.directories", {}};
// Onboarding: written true only by its finish step; the shell reads it at launch. The resume keys are
// removed when the onboarding finishes.
inline const PreferenceKey<bool> hasCompletedOnboarding{"io.velmar.Pigmo.hasCompletedOnboarding", false};
inline const PreferenceKey<int> onboardingResumeStep{"io.velmar.Pigmo.onboardingResumeStep", 0};
inline const PreferenceKey<bool> onboardingResumeWatcherChoice{"io.velmar.Pigmo.onboardingResumeWatcherChoice", false};
} // namespace prefs

// The program's standard preferences: an INI file at $XDG_CONFIG_HOME/io.velmar.pigmo2/preferences.ini.
// Thread-safe; every write is synced to disk before it returns, and one that fails leaves the file as it was.
class Preferences {
public:
    template <class T>
    static T value(const PreferenceKey<T>& key)
    {
        const QVariant stored = read(key.name);
        return stored.isValid() ? stored.value<T>() : key.defaultValue;
    }

    // False when the file could not be written (said on standard error): the value is kept, and written
    // again with the next change.
    template <class T>
    static bool setValue(const PreferenceKey<T>& key, const T& value)
    {
        return write(key.name, QVariant::fromValue(value));
    }

    // True when the key is stored, also with a value that reads back as nothing (an empty list).
    template <class T>
    static bool contains(const PreferenceKey<T>& key)
    {
        return has(key.name);
    }

    // As `setValue`.
    template <class T>
    static bool remove(const PreferenceKey<T>& key)
    {
        return erase(key.name);
    }

    static QString filePath();

private:
    static QVariant read(const char* name);
    static bool has(const char* name);
    static bool write(const char* name, const QVariant& value);
    static bool erase(const char* name);
};

} // namespace pigmo
