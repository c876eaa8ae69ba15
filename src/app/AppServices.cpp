#include "app/AppServices.h"

#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

namespace pigmo {

AppServices::AppServices()
    : history_(ColorizationHistoryStore::shared())
    , attributes_(ExtendedAttributesManager::shared())
    , folderLanguages_(localization_.currentLanguage(), [] { SmartIconService::shared().rebuildIndex(); })
    , appearance_(desktopAppearance(colorScheme_))
    , launchAtLogin_(autostartLoginItem())
    , styler_(history_, attributes_)
    , watcher_(FolderWatcherService::through(styler_, [this] { return fullDiskAccess_.hasFullDiskAccess(); }))
{
    appearance_.followColorScheme(colorScheme_);
}

AppServices::~AppServices() = default;

} // namespace pigmo
