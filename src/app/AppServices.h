#pragma once

#include "fulldiskaccess/FDAPermissionManager.h"
#include "platform/SystemColorScheme.h"
#include "services/AppearanceManager.h"
#include "services/DisplayModeManager.h"
#include "services/FolderLanguagesManager.h"
#include "services/FolderStyler.h"
#include "services/FolderWatcherService.h"
#include "services/IconStylePreferenceManager.h"
#include "services/LaunchAtLoginManager.h"
#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"

namespace pigmo {

class ColorizationHistoryStore;
class ExtendedAttributesManager;

// The program's services, built once, in the order of the members below (each after what it uses), after the
// application object exists, and owned by the application for the whole run; the application shell hands
// them down to what needs them. Destroyed in the reverse order: the watcher stops before the styler finishes
// its queue.
class AppServices {
public:
    AppServices();
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    ColorizationHistoryStore& history() const { return history_; }
    const ExtendedAttributesManager& attributes() const { return attributes_; }
    LocalizationManager& localization() { return localization_; }
    IconStylePreferenceManager& iconStylePreference() { return iconStylePreference_; }
    FolderLanguagesManager& folderLanguages() { return folderLanguages_; }
    PalettesManager& palettes() { return palettes_; }
    DisplayModeManager& displayMode() { return displayMode_; }
    AppearanceManager& appearance() { return appearance_; }
    LaunchAtLoginManager& launchAtLogin() { return launchAtLogin_; }
    FDAPermissionManager& fullDiskAccess() { return fullDiskAccess_; }
    FolderStyler& styler() { return styler_; }
    FolderWatcherService& watcher() { return watcher_; }

private:
    ColorizationHistoryStore& history_;
    const ExtendedAttributesManager& attributes_;
    LocalizationManager localization_; // the interface language, read by every view
    IconStylePreferenceManager iconStylePreference_;
    FolderLanguagesManager folderLanguages_; // starts from the interface language
    PalettesManager palettes_;
    DisplayModeManager displayMode_;
    SystemColorScheme colorScheme_;      // the desktop's light or dark preference
    AppearanceManager appearance_;       // applies the stored theme when built
    LaunchAtLoginManager launchAtLogin_; // registers the autostart entry on the first run
    FDAPermissionManager fullDiskAccess_;
    FolderStyler styler_;          // the one writer of folder styles
    FolderWatcherService watcher_; // styles through `styler_`; started by the launch sequence
};

} // namespace pigmo
