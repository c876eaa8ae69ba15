#pragma once

#include "ui/settings/SettingsServices.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QWidget>

class QLabel;
class QScrollArea;

namespace pigmo {

class AutomationSection;
class SettingsMenuRow;

// The settings page of the main window: one centred, scrolling column (at most 450 points wide) with the
// program's icon and name, five preference rows that each open a small menu (appearance, display mode,
// interface language, folder-name languages, default icon library), the automation section, the version
// and links to the terms of use and the privacy policy. Every choice goes straight to its manager, which
// stores and applies it; there is no save step. The page owns no manager.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    static constexpr int columnWidth = 450;

    struct FolderLanguage {
        QString code;
        QString name; // in its own language
    };
    // The folder-name languages offered, in menu order.
    static const QList<FolderLanguage>& availableFolderLanguages();

    // The flag of a language code (exact, case-sensitive), empty for a code without one.
    static QString flagEmoji(const QString& code);
    // The folder-name-languages row's text: the names of the selected offered languages in menu order,
    // "none" when there is none, two joined by ", ", from three on the first and " +" the rest's count.
    static QString folderLanguagesSummary(const QSet<QString>& selected, const LocalizationManager& localization);
    // "v" and the version, empty without a version.
    static QString appVersion(const QString& version);
    // Opens the terms of use or the privacy policy in the user's browser.
    static void openTermsOfUse();
    static void openPrivacyPolicy();

    explicit SettingsView(SettingsServices services, QWidget* parent = nullptr);
    ~SettingsView() override;

    SettingsMenuRow* themeRow() const { return themeRow_; }
    SettingsMenuRow* displayRow() const { return displayRow_; }
    SettingsMenuRow* languageRow() const { return languageRow_; }
    SettingsMenuRow* folderLanguagesRow() const { return folderLanguagesRow_; }
    SettingsMenuRow* iconStyleRow() const { return iconStyleRow_; }
    AutomationSection* automationSection() const { return automation_; }
    QScrollArea* scrollArea() const { return scrollArea_; }
    QLabel* versionLabel() const { return version_; }

private:
    QWidget* buildHeader();
    QWidget* buildFooter();
    SettingsMenuRow* buildThemeRow();
    SettingsMenuRow* buildDisplayRow();
    SettingsMenuRow* buildLanguageRow();
    SettingsMenuRow* buildFolderLanguagesRow();
    SettingsMenuRow* buildIconStyleRow();

    SettingsServices services_;
    QScrollArea* scrollArea_ = nullptr;
    SettingsMenuRow* themeRow_ = nullptr;
    SettingsMenuRow* displayRow_ = nullptr;
    SettingsMenuRow* languageRow_ = nullptr;
    SettingsMenuRow* folderLanguagesRow_ = nullptr;
    SettingsMenuRow* iconStyleRow_ = nullptr;
    AutomationSection* automation_ = nullptr;
    QLabel* version_ = nullptr;
};

} // namespace pigmo
