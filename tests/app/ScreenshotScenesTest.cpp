#include "app/AppDelegate.h"
#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "ui/main/MainView.h"
#include "ui/main/ScreenshotScenario.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTest>

using namespace pigmo;

namespace {

struct Scene {
    const char* scenario;
    int folders;
};

void PrintTo(const Scene& scene, std::ostream* os)
{
    *os << scene.scenario;
}

class ScreenshotScenesTest : public ::testing::TestWithParam<Scene> {};

} // namespace

// Each scenario starts straight into its demo folders, even before the onboarding was ever completed; the
// window is saved as build/<preset>/screenshots/<scenario>.png for a look.
TEST_P(ScreenshotScenesTest, BuildsTheDemoGroupAndShowsIt)
{
    qputenv("SCREENSHOT_SCENARIO", GetParam().scenario);
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    MainView* view = delegate.contentView();
    ASSERT_TRUE(view);
    ASSERT_EQ(delegate.mainWindow()->content(), view);
    EXPECT_EQ(view->folders().size(), GetParam().folders);
    for (const Folder& folder : view->folders())
        EXPECT_TRUE(folder.path().startsWith(QStringLiteral("/tmp/")));
    EXPECT_FALSE(QDir(view->folders().first().path()).exists()); // nothing is written

    QTest::qWait(300); // previews render as the models publish them
    const QImage shot = delegate.mainWindow()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    QDir().mkpath(QStringLiteral(PIGMO_SCREENSHOT_DIR));
    EXPECT_TRUE(shot.save(QStringLiteral(PIGMO_SCREENSHOT_DIR "/") + QLatin1String(GetParam().scenario) +
                          QStringLiteral(".png")));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ScreenshotScenesTest,
                         ::testing::Values(Scene{"colorTab", 3}, Scene{"iconLucide", 3}, Scene{"iconEmoji", 3},
                                           Scene{"detailsCustom", 2}, Scene{"history", 3}, Scene{"lightDarkMode", 3}),
                         [](const auto& info) { return std::string(info.param.scenario); });
