#pragma once

#include <functional>

class QMenuBar;

namespace pigmo {

class LocalizationManager;

// The main menu: the application menu ("Check for Updates…", "Quit Pigmo 2" on Ctrl+Q) and the Edit
// menu (Cut, Copy, Paste, Select All), whose actions go to the focused widget. Its titles are in the
// interface language and follow every change of it.
struct MainMenu {
    std::function<void()> checkForUpdates;
    std::function<void()> quit;

    // A new menu bar; the caller owns it (the main window takes it). `localization` outlives it.
    QMenuBar* build(const LocalizationManager& localization) const;
};

} // namespace pigmo
