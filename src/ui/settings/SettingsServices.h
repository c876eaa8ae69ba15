#pragma once

namespace pigmo {

class AppearanceManager;
class DisplayModeManager;
class FDAPermissionManager;
class FolderLanguagesManager;
class FolderWatcherService;
class IconStylePreferenceManager;
class LaunchAtLoginManager;
class LocalizationManager;

// The program-wide managers the settings page reads and writes. The page owns none of them; each outlives
// every page made over it.
struct SettingsServices {
    AppearanceManager& appearance;
    DisplayModeManager& displayMode;
    LocalizationManager& localization;
    FolderLanguagesManager& folderLanguages;
    IconStylePreferenceManager& iconStyle;
    FDAPermissionManager& fullDiskAccess;
    FolderWatcherService& folderWatcher;
    LaunchAtLoginManager& launchAtLogin;
};

} // namespace pigmo
