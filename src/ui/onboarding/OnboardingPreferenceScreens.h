#pragma once

#include "services/IconStylePreferenceManager.h"
#include "storage/InterfaceLanguage.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

#include <functional>

namespace pigmo {

class FDAPermissionManager;
class FolderLanguagesManager;
class LocalizationManager;
class OnboardingButton;
class OnboardingSecondaryButton;

// A card of the onboarding's choices: a picture or text above a label, on a rounded 8 % tint of the text
// colour while selected.
class OnboardingChoiceCard : public QAbstractButton {
    Q_OBJECT
public:
    explicit OnboardingChoiceCard(QWidget* parent = nullptr);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

protected:
    void paintEvent(QPaintEvent* event) override;
    virtual void selectionChanged() {}

private:
    bool selected_ = false;
};

// Which glyph library smart styling prefers: two cards of three pictures each; the choice is stored at once.
class OnboardingStyleScreen : public QWidget {
    Q_OBJECT
public:
    OnboardingStyleScreen(LocalizationManager& localization, IconStylePreferenceManager& preference,
                          QWidget* parent = nullptr);
    OnboardingChoiceCard* card(IconLibrary preference) const;

private:
    void showSelection();

    IconStylePreferenceManager& preference_;
    OnboardingChoiceCard* iconCard_ = nullptr;
    OnboardingChoiceCard* emojiCard_ = nullptr;
};

// The languages folder names are read in: a grid of the eleven languages, each a flag and its own name.
// Clicks change the selection at once (the last language stays); leaving the screen commits it.
class OnboardingLanguagesScreen : public QWidget {
    Q_OBJECT
public:
    using Language = InterfaceLanguage::Language;
    // The eleven languages, in the order of the interface languages.
    static const QList<Language>& languages();
    // The flag emoji of a language's country; the globe for an unknown code.
    static QString flag(const QString& code);

    OnboardingLanguagesScreen(LocalizationManager& localization, FolderLanguagesManager& manager, int columns = 4,
                              QWidget* parent = nullptr);
    ~OnboardingLanguagesScreen() override;

    OnboardingChoiceCard* cell(const QString& code) const;
    void toggle(const QString& code);

private:
    void showSelection();

    FolderLanguagesManager& manager_;
    QList<OnboardingChoiceCard*> cells_;
};

// A painted on/off switch that reflects a state it does not own: a click only asks for the change.
class OnboardingSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit OnboardingSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {38, 22}; }
    bool isOn() const { return on_; }
    void setOn(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
};

// Folder access: a switch that shows whether the program may read the user's folders (and asks for access
// when switched on), the continue button enabled only with access, and below it the way on without access,
// which leaves the folder watcher off.
class OnboardingFDAScreen : public QWidget {
    Q_OBJECT
public:
    OnboardingFDAScreen(LocalizationManager& localization, FDAPermissionManager& fda, std::function<void()> onContinue,
                        std::function<void()> onContinueWithoutAccess, QWidget* parent = nullptr);

    OnboardingSwitch* accessSwitch() const { return switch_; }
    OnboardingButton* continueButton() const { return continueButton_; }
    // Shown only while access is missing.
    OnboardingSecondaryButton* withoutAccessButton() const { return withoutAccessButton_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showAccess();

    FDAPermissionManager& fda_;
    OnboardingSwitch* switch_ = nullptr;
    OnboardingButton* continueButton_ = nullptr;
    OnboardingSecondaryButton* withoutAccessButton_ = nullptr;
};

} // namespace pigmo
