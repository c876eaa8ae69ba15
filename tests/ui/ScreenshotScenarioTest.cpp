#include "ui/main/ScreenshotScenario.h"

#include "catalogue/IconsModel.h"
#include "storage/BundleResources.h"

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

QString tableName(const QString& key)
{
    return QStringLiteral("«") + key + QStringLiteral("»");
}

} // namespace

TEST(ScreenshotScenarioTest, ParsesRawValuesCaseSensitively)
{
    for (ScreenshotScenario s :
         {ScreenshotScenario::colorTab, ScreenshotScenario::iconLucide, ScreenshotScenario::iconEmoji,
          ScreenshotScenario::detailsCustom, ScreenshotScenario::history, ScreenshotScenario::lightDarkMode})
        EXPECT_EQ(screenshotScenario(rawValue(s)), s);
    EXPECT_EQ(rawValue(ScreenshotScenario::lightDarkMode), QStringLiteral("lightDarkMode"));
    EXPECT_EQ(screenshotScenario(QStringLiteral("ColorTab")), std::nullopt);
    EXPECT_EQ(screenshotScenario(QStringLiteral("colortab")), std::nullopt);
    EXPECT_EQ(screenshotScenario(QStringLiteral(" history")), std::nullopt);
    EXPECT_EQ(screenshotScenario(QString()), std::nullopt);

    qputenv("SCREENSHOT_SCENARIO", "iconEmoji");
    EXPECT_EQ(screenshotScenarioFromEnvironment(), ScreenshotScenario::iconEmoji);
    qputenv("SCREENSHOT_SCENARIO", "");
    EXPECT_EQ(screenshotScenarioFromEnvironment(), std::nullopt);
    qunsetenv("SCREENSHOT_SCENARIO");
    EXPECT_EQ(screenshotScenarioFromEnvironment(), std::nullopt);
}

TEST(ScreenshotScenarioTest, EmojiSceneNamesItsFoldersFromTheTable)
{
    const IconsModel icons(BundleResources::directory());
    const QList<DemoScene> scenes =
        ScreenshotSceneBuilder::buildScenes(ScreenshotScenario::iconEmoji, tableName, icons);
    ASSERT_EQ(scenes.size(), 3);
    EXPECT_EQ(scenes.at(0).first.path(), QStringLiteral("/tmp/«life»"));
    EXPECT_EQ(scenes.at(1).first.path(), QStringLiteral("/tmp/«love»"));
    EXPECT_EQ(scenes.at(2).first.path(), QStringLiteral("/tmp/«games»"));
    const ColorizationData& love = scenes.at(1).second;
    EXPECT_EQ(love.color, (HSL{321, 84, 51}));
    EXPECT_EQ(love.intensity, 0.6);
    EXPECT_EQ(love.iconSize, 170.0);
    EXPECT_EQ(love.iconStyle, IconStyle::vibrant());
    ASSERT_TRUE(love.icon);
    EXPECT_EQ(love.icon->emoji, QStringLiteral("\U0001F496"));
    EXPECT_EQ(love.icon->name, QStringLiteral("\U0001F496"));
    EXPECT_FALSE(love.icon->url);
}

TEST(ScreenshotScenarioTest, CustomSceneUsesOurArtworkAndAWhiteOriginalSecondFolder)
{
    const IconsModel icons(BundleResources::directory());
    const QList<DemoScene> scenes = ScreenshotSceneBuilder::buildScenes(
        ScreenshotScenario::detailsCustom, [](const QString& k) { return k; }, icons);
    ASSERT_EQ(scenes.size(), 2);
    for (const DemoScene& scene : scenes) {
        ASSERT_TRUE(scene.second.icon);
        EXPECT_EQ(scene.second.icon->name, Icon::customName);
        ASSERT_TRUE(scene.second.icon->imageData);
        EXPECT_TRUE(scene.second.icon->imageData->startsWith("\x89PNG"));
    }
    EXPECT_EQ(scenes.at(0).second.color, (HSL{237, 76, 51}));
    EXPECT_EQ(scenes.at(1).second.color, (HSL{254, 100, 100}));
    EXPECT_EQ(scenes.at(1).second.iconStyle, IconStyle::original());
}

TEST(ScreenshotScenarioTest, LucideScenesPointAtBundleFiles)
{
    const IconsModel icons(BundleResources::directory());
    struct Expected {
        ScreenshotScenario scenario;
        QStringList keys;
        QStringList icons;
    };
    const QList<Expected> all{
        {ScreenshotScenario::colorTab, {"admin", "design", "projects"}, {"building-2", "paintbrush", "rocket"}},
        {ScreenshotScenario::iconLucide, {"videos", "audios", "gifs"}, {"video", "audio-lines", "cat"}},
        {ScreenshotScenario::history, {"school", "recent", "recipes"}, {"atom", "folder-down", "cooking-pot"}},
        {ScreenshotScenario::lightDarkMode,
         {"documents", "desktop", "downloads"},
         {"file-text", "monitor", "square-arrow-down"}},
    };
    for (const Expected& e : all) {
        const QList<DemoScene> scenes = ScreenshotSceneBuilder::buildScenes(
            e.scenario, [](const QString& k) { return k; }, icons);
        ASSERT_EQ(scenes.size(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(scenes.at(i).first.path(), QStringLiteral("/tmp/") + e.keys.at(i));
            ASSERT_TRUE(scenes.at(i).second.icon) << e.icons.at(i).toStdString();
            EXPECT_EQ(scenes.at(i).second.icon->name, e.icons.at(i));
            ASSERT_TRUE(scenes.at(i).second.icon->url);
            EXPECT_TRUE(scenes.at(i).second.icon->url->toLocalFile().endsWith(e.icons.at(i) + QStringLiteral(".svg")));
        }
    }
}
