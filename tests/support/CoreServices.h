#pragma once

#include "base/Executors.h"
#include "catalogue/IconsModel.h"
#include "services/ColorizationViewModel.h"
#include "smart/SmartIconService.h"
#include "storage/BundleResources.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

namespace pigmo::test {

// The core services one test uses, built in the program's order: the executors, the bundle's glyph catalogues, the
// attribute store, a history store in the test's own data directory, and a keyword index over the catalogues and the
// stored folder-name languages (built on request). Each test builds its own set.
struct CoreServices {
    Executors executors;
    const IconsModel icons{BundleResources::directory()};
    const ExtendedAttributesManager attributes{};
    ColorizationHistoryStore history;
    SmartIconService smartIcons{SmartIconService::bundleSources(icons)};

    // What editing models read, writing through `styler` (nullptr: nothing).
    ColorizationServices colorization(FolderStyler* styler = nullptr)
    {
        return {attributes, history, icons, smartIcons, styler};
    }
};

} // namespace pigmo::test
