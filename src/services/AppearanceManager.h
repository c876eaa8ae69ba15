#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace pigmo {

enum class AppTheme { light, dark, system };
QString rawValue(AppTheme theme);
// "light" and "dark" give their theme; every other text gives nothing.
std::optional<AppTheme> appTheme(const QString& rawValue);

// What applying a theme does to the running program.
struct AppearanceBackend {
    // Whether the desktop prefers a dark appearance; nothing when it does not say.
    std::function<std::optional<bool>()> systemPrefersDark;
    // Gives the whole application the light or dark palette, windows' backgrounds included.
    std::function<void(bool dark)> applyPalette;
};

class SystemColorScheme;
// The desktop's appearance: the portal's colour scheme decides "system" (`scheme` must outlive the backend);
// the program's own palettes carry light and dark.
AppearanceBackend desktopAppearance(const SystemColorScheme& scheme);

// The user's theme. "selectedTheme" holds the stored raw value ("system" when absent); `currentTheme` is the
// theme in effect, which "SCREENSHOT_FORCE_THEME" may override for one run without touching the preference.
// The settings page sets `currentTheme`, then `setStoredTheme`, then calls `applyTheme`. GUI thread only.
class AppearanceManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(pigmo::AppTheme currentTheme READ currentTheme WRITE setCurrentTheme NOTIFY currentThemeChanged)

public:
    // Loads the theme and applies it.
    explicit AppearanceManager(AppearanceBackend backend, QObject* parent = nullptr);

    QString storedTheme() const;
    void setStoredTheme(const QString& rawValue);

    AppTheme currentTheme() const { return currentTheme_; }
    void setCurrentTheme(AppTheme theme);

    void applyTheme(AppTheme theme);
    // Applies "system" again whenever the desktop's colour scheme changes while it is in effect; `scheme`
    // must outlive the manager.
    void followColorScheme(const SystemColorScheme& scheme);
    void updateWindowBackgrounds();

    // Dark for `dark`, light for `light`; for `system` what the desktop prefers, light when it does not say.
    bool isDark(AppTheme theme) const;
    bool isDark() const { return isDark(currentTheme_); }

Q_SIGNALS:
    void currentThemeChanged(pigmo::AppTheme theme);

private:
    AppearanceBackend backend_;
    AppTheme currentTheme_ = AppTheme::system;
};

} // namespace pigmo
