#pragma once

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

namespace pigmo {

// The languages folder names are read in: the keyword index loads its keyword files for them. Edits are
// stored at once under "FolderLanguages"; `commitChanges()` makes them the committed set and asks for a
// rebuild of the index, only when the set really changed. GUI thread only.
class FolderLanguagesManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QSet<QString> selectedLanguages READ selectedLanguages WRITE setSelectedLanguages NOTIFY
                   selectedLanguagesChanged)

public:
    // The stored set when "FolderLanguages" is stored (also empty), else "en" and `interfaceLanguage`.
    // Nothing is stored and no rebuild is asked for at construction. `rebuildIndex` is called by a commit
    // that changes the set.
    FolderLanguagesManager(const QString& interfaceLanguage, std::function<void()> rebuildIndex,
                           QObject* parent = nullptr);

    QSet<QString> selectedLanguages() const { return selectedLanguages_; }
    void setSelectedLanguages(const QSet<QString>& languages);
    QSet<QString> lastCommittedLanguages() const { return lastCommittedLanguages_; }

    void commitChanges();

Q_SIGNALS:
    void selectedLanguagesChanged(const QSet<QString>& languages);

private:
    QSet<QString> selectedLanguages_;
    QSet<QString> lastCommittedLanguages_;
    std::function<void()> rebuildIndex_;
};

} // namespace pigmo
