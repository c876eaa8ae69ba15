#include "services/AppearanceManager.h"

#include "platform/Appearance.h"
#include "platform/SystemColorScheme.h"
#include "storage/Preferences.h"

#include <QGuiApplication>

namespace pigmo {

QString rawValue(AppTheme theme)
{
    switch (theme) {
    case AppTheme::light:
        return QStringLiteral("light");
    case AppTheme::dark:
        return QStringLiteral("dark");
    case AppTheme::system:
        break;
    }
    return QStringLiteral("system");
}

std::optional<AppTheme> appTheme(const QString& rawValue)
{
    if (rawValue == u"light")
        return AppTheme::light;
    if (rawValue == u"dark")
        return AppTheme::dark;
    if (rawValue == u"system")
        return AppTheme::system;
    return std::nullopt;
}

AppearanceBackend desktopAppearance(const SystemColorScheme& scheme)
{
    return AppearanceBackend{
        [&scheme] {
            return std::optional<bool>(Appearance::systemPrefersDark(scheme.current(), QGuiApplication::palette()));
        },
        [](bool dark) { QGuiApplication::setPalette(dark ? Appearance::darkPalette() : Appearance::lightPalette()); },
    };
}

void AppearanceManager::followColorScheme(const SystemColorScheme& scheme)
{
    connect(&scheme, &SystemColorScheme::changed, this, [this] {
        if (currentTheme_ == AppTheme::system)
            applyTheme(AppTheme::system);
    });
}

AppearanceManager::AppearanceManager(AppearanceBackend backend, QObject* parent)
    : QObject(parent)
    , backend_(std::move(backend))
{
    currentTheme_ = appTheme(storedTheme()).value_or(AppTheme::system);
    if (const std::optional<AppTheme> forced = appTheme(qEnvironmentVariable("SCREENSHOT_FORCE_THEME")))
        currentTheme_ = *forced;
    applyTheme(currentTheme_);
}

QString AppearanceManager::storedTheme() const
{
    return Preferences::value(prefs::selectedTheme);
}

void AppearanceManager::setStoredTheme(const QString& rawValue)
{
    Preferences::setValue(prefs::selectedTheme, rawValue);
}

void AppearanceManager::setCurrentTheme(AppTheme theme)
{
    if (theme == currentTheme_)
        return;
    currentTheme_ = theme;
    Q_EMIT currentThemeChanged(theme);
}

void AppearanceManager::applyTheme(AppTheme theme)
{
    // One palette carries both the appearance and the windows' backgrounds.
    if (backend_.applyPalette)
        backend_.applyPalette(isDark(theme));
}

void AppearanceManager::updateWindowBackgrounds()
{
    if (backend_.applyPalette)
        backend_.applyPalette(isDark(currentTheme_));
}

bool AppearanceManager::isDark(AppTheme theme) const
{
    switch (theme) {
    case AppTheme::dark:
        return true;
    case AppTheme::light:
        return false;
    case AppTheme::system:
        break;
    }
    return backend_.systemPrefersDark && backend_.systemPrefersDark().value_or(false);
}

} // namespace pigmo
