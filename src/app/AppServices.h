#pragma once

#include "base/Executors.h"
#include "catalogue/IconsModel.h"
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
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

namespace pigmo {

// The services that style folders, which the windowless `--smart` run needs too. Built in the order of the
// members below, each after what it uses, once the application object exists; destroyed in the reverse
// order, so a keyword index build still running stops while the catalogues it reads exist, and the executors,
// built first, shut down last (see docs/threads.md).
class StylingServices {
public:
    // When the keyword index builds: on the first request, or at once, on its worker while the history
    // loads (the windowless run, which needs the index for its first folder; there the current styles load
    // on a thread of their own too, needed only when the first folder is recorded).
    enum class IndexBuild { onRequest, atOnce };
    explicit StylingServices(IndexBuild build = IndexBuild::onRequest);
    StylingServices(const StylingServices&) = delete;
    StylingServices& operator=(const StylingServices&) = delete;

    Executors& executors() { return executors_; }
    const IconsModel& icons() const { return icons_; }
    const ExtendedAttributesManager& attributes() const { return attributes_; }
    ColorizationHistoryStore& history() { return history_; }
    SmartIconService& smartIcons() { return smartIcons_; }
    FolderStyler& styler() { return styler_; }

private:
    Executors executors_;                          // the icon queue, the I/O pool, the CPU pool
    const IconsModel icons_;                       // the bundle's glyph catalogues
    const ExtendedAttributesManager attributes_{}; // stateless
    SmartIconService smartIcons_;                  // the keyword index over `icons_`
    [[maybe_unused]] const bool indexRequested_;   // by the constructor, before the history loads
    ColorizationHistoryStore history_;             // loads the current styles (see IndexBuild)
    FolderStyler styler_;                          // the one writer of folder styles
};

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

    Executors& executors() { return styling_.executors(); }
    const IconsModel& icons() const { return styling_.icons(); }
    const ExtendedAttributesManager& attributes() const { return styling_.attributes(); }
    ColorizationHistoryStore& history() { return styling_.history(); }
    SmartIconService& smartIcons() { return styling_.smartIcons(); }
    FolderStyler& styler() { return styling_.styler(); }
    LocalizationManager& localization() { return localization_; }
    IconStylePreferenceManager& iconStylePreference() { return iconStylePreference_; }
    FolderLanguagesManager& folderLanguages() { return folderLanguages_; }
    PalettesManager& palettes() { return palettes_; }
    DisplayModeManager& displayMode() { return displayMode_; }
    AppearanceManager& appearance() { return appearance_; }
    LaunchAtLoginManager& launchAtLogin() { return launchAtLogin_; }
    FDAPermissionManager& fullDiskAccess() { return fullDiskAccess_; }
    FolderWatcherService& watcher() { return watcher_; }

private:
    StylingServices styling_;          // executors, catalogues, attribute and history stores, keyword index, styler
    LocalizationManager localization_; // the interface language, read by every view
    IconStylePreferenceManager iconStylePreference_;
    FolderLanguagesManager folderLanguages_; // starts from the interface language; rebuilds the index
    PalettesManager palettes_;
    DisplayModeManager displayMode_;
    SystemColorScheme colorScheme_;      // the desktop's light or dark preference
    AppearanceManager appearance_;       // applies the stored theme when built
    LaunchAtLoginManager launchAtLogin_; // registers the autostart entry on the first run
    FDAPermissionManager fullDiskAccess_;
    FolderWatcherService watcher_; // styles through the styler; started by the launch sequence
};

} // namespace pigmo
