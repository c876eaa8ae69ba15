#pragma once

#include "base/Executors.h"
#include "catalogue/IconsModel.h"
#include "services/LocalizationManager.h"
#include "services/PalettesManager.h"
#include "smart/SmartIconService.h"
#include "storage/BundleResources.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "ui/editor/EditorServices.h"

#include <chrono>
#include <memory>

namespace pigmo::test {

// The editor's services over the program's own bundle data, with a keyword index of every folder-name
// language (built once per test program) and English texts.
struct EditorTestServices {
    Executors executors;
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    const ExtendedAttributesManager attributes{};
    ColorizationHistoryStore history;
    PalettesManager palettes;

    static const IconsModel& icons()
    {
        static const IconsModel catalogues(BundleResources::directory());
        return catalogues;
    }
    static SmartIconService& smartIcons()
    {
        static SmartIconService* service = [] {
            auto* built = new SmartIconService([] {
                const QStringList languages = {"en",      "fr", "it", "de", "es", "pt-BR",
                                               "zh-Hans", "ja", "ko", "ru", "cs"};
                return IndexSources{{icons().lucideIcons(), icons().sfIcons(), icons().emojisIcons()},
                                    QSet<QString>(languages.cbegin(), languages.cend()),
                                    BundleResources::path(QStringLiteral("keywords"))};
            });
            built->waitUntilReady(std::chrono::seconds(90));
            return built;
        }();
        return *service;
    }

    EditorServices services()
    {
        return {localization, history, palettes, icons(), smartIcons(), attributes, executors};
    }
};

} // namespace pigmo::test
