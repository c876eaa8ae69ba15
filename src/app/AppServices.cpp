#include "app/AppServices.h"

#include "storage/BundleResources.h"

namespace pigmo {

namespace {

bool requestIndex(SmartIconService& index, StylingServices::IndexBuild build)
{
    if (build == StylingServices::IndexBuild::atOnce)
        index.buildIndexIfNeeded();
    return build == StylingServices::IndexBuild::atOnce;
}

} // namespace

StylingServices::StylingServices(IndexBuild build)
    : icons_(BundleResources::directory())
    , smartIcons_(SmartIconService::bundleSources(icons_))
    , indexRequested_(requestIndex(smartIcons_, build))
    , history_(build == IndexBuild::atOnce ? ColorizationHistoryStore::StylesLoad::inBackground
                                           : ColorizationHistoryStore::StylesLoad::now)
    , styler_(executors_, history_, attributes_, smartIcons_)
{
}

AppServices::AppServices()
    : folderLanguages_(localization_.currentLanguage(), [this] { smartIcons().rebuildIndex(); })
    , appearance_(desktopAppearance(colorScheme_))
    , launchAtLogin_(autostartLoginItem())
    , watcher_({[this] { return fullDiskAccess_.hasFullDiskAccess(); }, &styler()})
{
    appearance_.followColorScheme(colorScheme_);
}

AppServices::~AppServices() = default;

} // namespace pigmo
