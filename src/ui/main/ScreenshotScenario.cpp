#include "ui/main/ScreenshotScenario.h"

#include "catalogue/IconsModel.h"
#include "services/ColorizationModelsGroup.h"
#include "services/LocalizationManager.h"
#include "storage/BundleResources.h"
#include "ui/editor/EditorServices.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>

#include <array>

namespace pigmo {
namespace {

constexpr double demoIconSize = 170;

struct ScenarioName {
    ScreenshotScenario scenario;
    const char* rawValue;
};

constexpr std::array<ScenarioName, 6> scenarioNames{{
    {ScreenshotScenario::colorTab, "colorTab"},
    {ScreenshotScenario::iconLucide, "iconLucide"},
    {ScreenshotScenario::iconEmoji, "iconEmoji"},
    {ScreenshotScenario::detailsCustom, "detailsCustom"},
    {ScreenshotScenario::history, "history"},
    {ScreenshotScenario::lightDarkMode, "lightDarkMode"},
}};

// A Lucide icon of the bundle by name; when the bundle lacks its file, the catalogue's first Lucide icon
// (nothing when the catalogue is empty).
std::optional<Icon> lucideIcon(const QString& name, const IconsModel& icons)
{
    const QString path = BundleResources::path(QStringLiteral("lucide/") + name + QStringLiteral(".svg"));
    if (!QFileInfo(path).isFile()) {
        const QList<Icon>& catalogue = icons.lucideIcons();
        return catalogue.isEmpty() ? std::nullopt : std::optional<Icon>(catalogue.first());
    }
    Icon icon;
    icon.url = QUrl::fromLocalFile(path);
    icon.name = name;
    return icon;
}

Icon emojiIcon(const QString& emoji)
{
    Icon icon;
    icon.emoji = emoji;
    icon.name = emoji;
    return icon;
}

// A custom-image glyph from an image asset: its PNG encoding, named "<custom>". Nothing when the asset
// is missing or cannot be encoded.
std::optional<Icon> customIcon(const QString& asset)
{
    const QImage image(BundleResources::path(QStringLiteral("images/") + asset + QStringLiteral(".png")));
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return std::nullopt;
    Icon icon;
    icon.name = Icon::customName;
    icon.imageData = png;
    return icon;
}

ColorizationData style(std::optional<Icon> icon, HSL color, IconStyle iconStyle = IconStyle::vibrant())
{
    return ColorizationData{color, 0.6, std::move(icon), demoIconSize, iconStyle};
}

struct SceneRow {
    const char* key;
    ColorizationData data;
};

QList<SceneRow> rows(ScreenshotScenario scenario, const IconsModel& icons)
{
    switch (scenario) {
    case ScreenshotScenario::colorTab:
        return {{"admin", style(lucideIcon(QStringLiteral("building-2"), icons), {144, 100, 51})},
                {"design", style(lucideIcon(QStringLiteral("paintbrush"), icons), {53, 100, 51})},
                {"projects", style(lucideIcon(QStringLiteral("rocket"), icons), {276, 100, 51})}};
    case ScreenshotScenario::iconLucide:
        return {{"videos", style(lucideIcon(QStringLiteral("video"), icons), {240, 95, 55})},
                {"audios", style(lucideIcon(QStringLiteral("audio-lines"), icons), {20, 95, 55})},
                {"gifs", style(lucideIcon(QStringLiteral("cat"), icons), {321, 95, 55})}};
    case ScreenshotScenario::iconEmoji:
        return {{"life", style(emojiIcon(QStringLiteral("\U0001F603")), {38, 84, 51})},
                {"love", style(emojiIcon(QStringLiteral("\U0001F496")), {321, 84, 51})},
                {"games", style(emojiIcon(QStringLiteral("\U0001F3AE")), {165, 84, 51})}};
    case ScreenshotScenario::detailsCustom:
        return {
            {"orchard", style(customIcon(QStringLiteral("fruit-white")), {237, 76, 51})},
            {"archive", style(customIcon(QStringLiteral("fruit-rainbow")), {254, 100, 100}, IconStyle::original())}};
    case ScreenshotScenario::history:
        return {{"school", style(lucideIcon(QStringLiteral("atom"), icons), {108, 91, 50})},
                {"recent", style(lucideIcon(QStringLiteral("folder-down"), icons), {221, 91, 50})},
                {"recipes", style(lucideIcon(QStringLiteral("cooking-pot"), icons), {29, 91, 50})}};
    case ScreenshotScenario::lightDarkMode:
        return {{"documents", style(lucideIcon(QStringLiteral("file-text"), icons), {293, 100, 50})},
                {"desktop", style(lucideIcon(QStringLiteral("monitor"), icons), {81, 100, 50})},
                {"downloads", style(lucideIcon(QStringLiteral("square-arrow-down"), icons), {42, 100, 50})}};
    }
    return {};
}

} // namespace

std::optional<ScreenshotScenario> screenshotScenario(const QString& rawValue)
{
    for (const ScenarioName& entry : scenarioNames) {
        if (rawValue == QLatin1String(entry.rawValue))
            return entry.scenario;
    }
    return std::nullopt;
}

std::optional<ScreenshotScenario> screenshotScenarioFromEnvironment()
{
    if (!qEnvironmentVariableIsSet("SCREENSHOT_SCENARIO"))
        return std::nullopt;
    return screenshotScenario(qEnvironmentVariable("SCREENSHOT_SCENARIO"));
}

QString rawValue(ScreenshotScenario scenario)
{
    for (const ScenarioName& entry : scenarioNames) {
        if (entry.scenario == scenario)
            return QLatin1String(entry.rawValue);
    }
    return {};
}

QList<DemoScene> ScreenshotSceneBuilder::buildScenes(ScreenshotScenario scenario,
                                                     const std::function<QString(const QString& key)>& folderName,
                                                     const IconsModel& icons)
{
    QList<DemoScene> scenes;
    for (SceneRow& row : rows(scenario, icons)) {
        const QString name = folderName(QLatin1String(row.key));
        scenes.append({Folder::unchecked(QStringLiteral("/tmp/") + name), std::move(row.data)});
    }
    return scenes;
}

QString ScreenshotSceneBuilder::localizedFolderName(const QString& languageCode, const QString& key)
{
    const std::optional<StringTable> table = StringTable::load(languageCode, QStringLiteral("Screenshots"));
    return table ? table->text(key) : key;
}

std::unique_ptr<ColorizationModelsGroup> ScreenshotSceneBuilder::buildGroup(ScreenshotScenario scenario,
                                                                            const EditorServices& services)
{
    const QString language = services.localization.currentLanguage();
    const QList<DemoScene> scenes = buildScenes(
        scenario, [&language](const QString& key) { return localizedFolderName(language, key); }, services.icons);
    QList<Folder> folders;
    for (const DemoScene& scene : scenes)
        folders.append(scene.first);
    auto group = std::make_unique<ColorizationModelsGroup>(folders, false, services.colorization());
    // Each assignment re-renders the preview, as an edit would; the scene replaces whatever the folder had.
    for (qsizetype i = 0; i < group->models().size() && i < scenes.size(); ++i) {
        ColorizationViewModel& model = *group->models().at(i);
        const ColorizationData& style = scenes.at(i).second;
        if (const std::optional<HSL> color = HSL::fromColor(style.color.color()))
            model.setColor(*color);
        model.setIntensity(style.intensity);
        model.setIcon(style.icon);
        if (style.iconSize)
            model.setIconSize(*style.iconSize);
        model.setIconStyle(style.iconStyle);
    }
    return group;
}

} // namespace pigmo
