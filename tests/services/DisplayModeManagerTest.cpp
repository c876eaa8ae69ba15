#include "services/DisplayModeManager.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace pigmo;

namespace {

TEST(DisplayModeManagerTest, FirstLaunchIsBothAndWritesNothing)
{
    DisplayModeManager manager;
    EXPECT_EQ(manager.displayMode(), AppDisplayMode::both);
    EXPECT_FALSE(Preferences::contains(prefs::appDisplayMode));
    QList<bool> trayVisible;
    manager.setStatusItem([&](bool visible) { trayVisible.append(visible); });
    manager.applyDisplayMode();
    EXPECT_EQ(manager.activationPolicy(), ActivationPolicy::regular);
    EXPECT_EQ(trayVisible, QList<bool>{true});
}

TEST(DisplayModeManagerTest, EachModeSetsPolicyAndTrayAndIsStored)
{
    DisplayModeManager manager;
    QList<bool> trayVisible;
    manager.setStatusItem([&](bool visible) { trayVisible.append(visible); });
    QSignalSpy applied(&manager, &DisplayModeManager::activationPolicyApplied);

    manager.setDisplayMode(AppDisplayMode::menuBar);
    EXPECT_EQ(manager.activationPolicy(), ActivationPolicy::accessory);
    manager.setDisplayMode(AppDisplayMode::dock);
    EXPECT_EQ(manager.activationPolicy(), ActivationPolicy::regular);
    manager.setDisplayMode(AppDisplayMode::dock); // an unchanged value is stored and applied again
    EXPECT_EQ(trayVisible, (QList<bool>{true, false, false}));
    EXPECT_EQ(applied.count(), 3);
    EXPECT_EQ(Preferences::value(prefs::appDisplayMode), "dock");
    EXPECT_EQ(DisplayModeManager().displayMode(), AppDisplayMode::dock);
}

TEST(DisplayModeManagerTest, UnknownStoredModeIsIgnoredAndKept)
{
    Preferences::setValue(prefs::appDisplayMode, QStringLiteral("taskbar"));
    EXPECT_EQ(DisplayModeManager().displayMode(), AppDisplayMode::both);
    EXPECT_EQ(Preferences::value(prefs::appDisplayMode), "taskbar");
    EXPECT_EQ(appDisplayMode("menu_bar_dock"), AppDisplayMode::both);
    EXPECT_EQ(rawValue(AppDisplayMode::menuBar), "menu_bar");
}

} // namespace
