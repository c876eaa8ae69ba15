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
    // in the interface language's "Screenshots" table, the key itself when there is none.
    static QList<DemoScene> buildScenes(ScreenshotScenario scenario,
                                        const std::function<QString(const QString& key)>& folderName);
    // The key's entry in the interface language's "Screenshots" table, the key when there is none.
    static QString localizedFolderName(const QString& key);
    // A group of the scenario's folders (smart styling off), each model showing its scene's style.
    static std::unique_ptr<ColorizationModelsGroup> buildGroup(ScreenshotScenario scenario);
};

} // namespace pigmo
