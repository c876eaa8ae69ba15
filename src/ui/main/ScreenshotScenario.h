#pragma once

#include "base/Folder.h"
#include "model/ColorizationData.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace pigmo {

class ColorizationModelsGroup;
class IconsModel;
struct EditorServices;

// A prepared scene of example folders for screenshots, chosen by the environment variable
// "SCREENSHOT_SCENARIO". Nothing of a scene is written to disk: its folders are paths under /tmp/ that
// need not exist, and their styles live only in the editing models.
enum class ScreenshotScenario { colorTab, iconLucide, iconEmoji, detailsCustom, history, lightDarkMode };

// The scenario whose raw value is exactly `rawValue` (case-sensitive); nothing for any other text.
std::optional<ScreenshotScenario> screenshotScenario(const QString& rawValue);
// The scenario named by "SCREENSHOT_SCENARIO" in the process environment, if any.
std::optional<ScreenshotScenario> screenshotScenarioFromEnvironment();
QString rawValue(ScreenshotScenario scenario);

// One example folder (it need not exist) and the style it shows.
using DemoScene = std::pair<Folder, ColorizationData>;

struct ScreenshotSceneBuilder {
    // The scenario's folders in their fixed order. A folder's name is `folderName(key)`: the key's entry
    // in the interface language's "Screenshots" table, the key itself when there is none. Glyphs are the
    // bundle's Lucide files; a missing one is replaced by the first icon of `icons`' Lucide catalogue.
    static QList<DemoScene> buildScenes(ScreenshotScenario scenario,
                                        const std::function<QString(const QString& key)>& folderName,
                                        const IconsModel& icons);
    // The key's entry in the language's "Screenshots" table, the key when there is none.
    static QString localizedFolderName(const QString& languageCode, const QString& key);
    // A group of the scenario's folders (smart styling off), each model showing its scene's style; names in
    // the interface language of `services`.
    static std::unique_ptr<ColorizationModelsGroup> buildGroup(ScreenshotScenario scenario,
                                                               const EditorServices& services);
};

} // namespace pigmo
