#pragma once

#include "ui/controls/Binding.h"

#include <QWidget>

namespace pigmo {

class LocalizationManager;
class SymbolButton;

// Three round buttons (home, history, settings) that switch the main window between its pages through two
// bound flags; both false is home. Pressing home clears both, history sets history and clears settings,
// settings sets settings and clears history.
class MainToolbar : public QWidget {
    Q_OBJECT

public:
    MainToolbar(Binding<bool> isSettingsOpened, Binding<bool> isHistoryOpened, LocalizationManager& localization,
                QWidget* parent = nullptr);

    SymbolButton* homeButton() const { return home_; }
    SymbolButton* historyButton() const { return history_; }
    SymbolButton* settingsButton() const { return settings_; }
    // Whether a button is drawn as the selected one.
    static bool isSelected(const SymbolButton* button);

    // Shows the bound flags as they are now.
    void refresh();

private:
    SymbolButton* makeButton(const QString& symbol, const QString& nameKey, LocalizationManager& localization);

    Binding<bool> settingsOpened_;
    Binding<bool> historyOpened_;
    SymbolButton* home_ = nullptr;
    SymbolButton* history_ = nullptr;
    SymbolButton* settings_ = nullptr;
};

} // namespace pigmo
