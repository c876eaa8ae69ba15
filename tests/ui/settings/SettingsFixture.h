#pragma once

#include "fulldiskaccess/FDAPermissionManager.h"
#include "platform/Autostart.h"
#include "services/AppearanceManager.h"
#include "services/DisplayModeManager.h"
#include "services/FolderLanguagesManager.h"
#include "services/FolderWatcherService.h"
#include "services/IconStylePreferenceManager.h"
#include "services/LaunchAtLoginManager.h"
#include "services/LocalizationManager.h"
#include "ui/settings/SettingsServices.h"

#include <QList>

#include <optional>

namespace pigmo::test {

// Real managers over the test's own scratch home, as the settings page gets them from the program.
struct SettingsManagers {
    QList<bool> appliedPalettes;
    int indexRebuilds = 0;
    QList<bool> trayShown;

    AppearanceManager appearance{AppearanceBackend{[] { return std::optional<bool>(false); },
                                                   [this](bool dark) { appliedPalettes.append(dark); }}};
    DisplayModeManager displayMode;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    FolderLanguagesManager folderLanguages{QStringLiteral("en"), [this] { ++indexRebuilds; }};
    IconStylePreferenceManager iconStyle;
    FDAPermissionManager fullDiskAccess;
    FolderWatcherService folderWatcher{
        FolderWatcherService::Dependencies{[this] { return fullDiskAccess.hasFullDiskAccess(); }, nullptr}};
    LaunchAtLoginManager launchAtLogin{LoginItemService{
        [] { return Autostart::isEnabled(); },
        [] { return Autostart::enable() ? std::nullopt : std::optional<QString>(QStringLiteral("refused")); },
        [] { return Autostart::disable() ? std::nullopt : std::optional<QString>(QStringLiteral("refused")); }}};

    SettingsManagers()
    {
        localization.setCurrentLanguage(QStringLiteral("en"));
        displayMode.setStatusItem([this](bool visible) { trayShown.append(visible); });
    }

    SettingsServices services()
    {
        return {appearance, displayMode,    localization,  folderLanguages,
                iconStyle,  fullDiskAccess, folderWatcher, launchAtLogin};
    }
};

} // namespace pigmo::test
