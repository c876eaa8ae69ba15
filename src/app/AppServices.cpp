#include "app/AppServices.h"

#include "fulldiskaccess/FDAPermissionManager.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

namespace pigmo {

AppServices::AppServices()
    : history_(ColorizationHistoryStore::shared())
    , attributes_(ExtendedAttributesManager::shared())
    , fullDiskAccess_(FDAPermissionManager::shared())
    , styler_(history_, attributes_)
    , watcher_(FolderWatcherService::through(styler_, [this] { return fullDiskAccess_.hasFullDiskAccess(); }))
{
}

AppServices::~AppServices() = default;

} // namespace pigmo
