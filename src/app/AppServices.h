#pragma once

#include "services/FolderStyler.h"
#include "services/FolderWatcherService.h"

namespace pigmo {

class ColorizationHistoryStore;
class ExtendedAttributesManager;
class FDAPermissionManager;

// The program's services, built once, in the order of the members below, after the application object
// exists, and owned by the application for the whole run; the application shell hands them down to what
// needs them. Destroyed in the reverse order: the watcher stops before the styler finishes its queue.
class AppServices {
public:
    AppServices();
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    ColorizationHistoryStore& history() const { return history_; }
    FDAPermissionManager& fullDiskAccess() const { return fullDiskAccess_; }
    FolderStyler& styler() { return styler_; }
    FolderWatcherService& watcher() { return watcher_; }

private:
    ColorizationHistoryStore& history_;
    const ExtendedAttributesManager& attributes_;
    FDAPermissionManager& fullDiskAccess_;
    FolderStyler styler_;          // the one writer of folder styles
    FolderWatcherService watcher_; // styles through `styler_`; started by the launch sequence
};

} // namespace pigmo
