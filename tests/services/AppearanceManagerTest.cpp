#include "services/AppearanceManager.h"
#include "platform/Appearance.h"
#include "platform/SystemColorScheme.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

using namespace pigmo;

namespace {

struct Applied {
    QList<bool> darkFlags;
    std::optional<bool> systemDark;
    AppearanceBackend backend()
    {
        return {[this] { return systemDark; }, [this](bool dark) { darkFlags.append(dark); }};
    }
};

TEST(AppearanceManagerTest, FirstLaunchFollowsTheSystemAndAppliesOnce)
{
    qunsetenv("SCREENSHOT_FORCE_THEME");
    Applied applied;
    applied.systemDark = true;
    AppearanceManager manager(applied.backend());
    EXPECT_EQ(manager.currentTheme(), AppTheme::system);
    EXPECT_EQ(manager.storedTheme(), "system");
    EXPECT_EQ(applied.darkFlags, QList<bool>{true});
}

TEST(AppearanceManagerTest, ForcedThemeWinsForTheRunWithoutTouchingThePreference)
{
    Preferences::setValue(prefs::selectedTheme, QStringLiteral("dark"));
    qputenv("SCREENSHOT_FORCE_THEME", "light");
    Applied applied;
    AppearanceManager manager(applied.backend());
    EXPECT_EQ(manager.currentTheme(), AppTheme::light);
    EXPECT_EQ(Preferences::value(prefs::selectedTheme), "dark");
    EXPECT_EQ(applied.darkFlags, QList<bool>{false});

    qputenv("SCREENSHOT_FORCE_THEME", "sepia"); // ignored
    EXPECT_EQ(AppearanceManager(applied.backend()).currentTheme(), AppTheme::dark);
}

TEST(AppearanceManagerTest, UnknownStoredThemeIsSystemAndSystemWithoutAnswerIsLight)
{
    qunsetenv("SCREENSHOT_FORCE_THEME");
    Preferences::setValue(prefs::selectedTheme, QStringLiteral("purple"));
    Applied applied;
    AppearanceManager manager(applied.backend());
    EXPECT_EQ(manager.currentTheme(), AppTheme::system);
    EXPECT_FALSE(manager.isDark());

    manager.setCurrentTheme(AppTheme::dark);
    manager.setStoredTheme(rawValue(AppTheme::dark));
    manager.applyTheme(AppTheme::dark);
    EXPECT_EQ(applied.darkFlags, (QList<bool>{false, true}));
    EXPECT_EQ(Preferences::value(prefs::selectedTheme), "dark");
}

} // namespace

TEST(AppearanceManagerTest, DesktopAppearanceGivesTheApplicationTheProgramsPalettes)
{
    Preferences::setValue(prefs::selectedTheme, QStringLiteral("dark"));
    const SystemColorScheme scheme;
    AppearanceManager manager(desktopAppearance(scheme));
    manager.followColorScheme(scheme);
    EXPECT_EQ(manager.currentTheme(), AppTheme::dark);
    EXPECT_EQ(QGuiApplication::palette().color(QPalette::Window), Appearance::darkPalette().color(QPalette::Window));

    manager.applyTheme(AppTheme::light);
    EXPECT_EQ(QGuiApplication::palette().color(QPalette::Window), Appearance::lightPalette().color(QPalette::Window));
    // Without a portal on the test bus, "system" keeps what is in effect.
    manager.applyTheme(AppTheme::system);
    EXPECT_EQ(QGuiApplication::palette().color(QPalette::Window), Appearance::lightPalette().color(QPalette::Window));
}
