#include "services/FolderLanguagesManager.h"

#include "storage/Preferences.h"

#include <QStringList>

#include <algorithm>

namespace pigmo {

FolderLanguagesManager::FolderLanguagesManager(const QString& interfaceLanguage, std::function<void()> rebuildIndex,
                                               QObject* parent)
    : QObject(parent)
    , rebuildIndex_(std::move(rebuildIndex))
{
    if (Preferences::contains(prefs::folderLanguages)) {
        const QStringList stored = Preferences::value(prefs::folderLanguages);
        selectedLanguages_ = QSet<QString>(stored.begin(), stored.end());
    } else {
        selectedLanguages_ = {QStringLiteral("en"), interfaceLanguage};
    }
    lastCommittedLanguages_ = selectedLanguages_;
}

void FolderLanguagesManager::setSelectedLanguages(const QSet<QString>& languages)
{
    selectedLanguages_ = languages;
    QStringList stored(languages.begin(), languages.end());
    std::sort(stored.begin(), stored.end());
    Preferences::setValue(prefs::folderLanguages, stored);
    Q_EMIT selectedLanguagesChanged(languages);
}

void FolderLanguagesManager::commitChanges()
{
    if (selectedLanguages_ == lastCommittedLanguages_)
        return;
    lastCommittedLanguages_ = selectedLanguages_;
    if (rebuildIndex_)
        rebuildIndex_();
}

} // namespace pigmo
