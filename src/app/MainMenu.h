#pragma once

#include <functional>

class QAction;
class QMenuBar;

namespace pigmo {

// The main menu: the application menu ("Check for Updates…", "Quit Pigmo 2" on Ctrl+Q) and the Edit
// menu (Cut, Copy, Paste, Select All), whose actions go to the focused widget. Titles are fixed English,
// as on every desktop's application menu.
struct MainMenu {
    std::function<void()> checkForUpdates;
    std::function<void()> quit;

    // A new menu bar; the caller owns it (the main window takes it).
    QMenuBar* build() const;
};

} // namespace pigmo
