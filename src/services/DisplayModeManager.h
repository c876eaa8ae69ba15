#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWindow>

#include <functional>
#include <optional>

namespace pigmo {

enum class AppDisplayMode { menuBar, dock, both };
QString rawValue(AppDisplayMode mode);
std::optional<AppDisplayMode> appDisplayMode(const QString& rawValue);

// How the program shows itself: `regular` with a taskbar entry, `accessory` without one (tray only; the
// window is hidden on close and kept out of the taskbar where the window system allows).
enum class ActivationPolicy { regular, accessory };

// Where the program lives: tray, window with taskbar entry, or both. Stored under "appDisplayMode" on every
// assignment; applied as the activation policy (published, for the shell to follow) and the tray icon's
// visibility (through the function the shell hands over). GUI thread only.
class DisplayModeManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(pigmo::AppDisplayMode displayMode READ displayMode WRITE setDisplayMode NOTIFY displayModeChanged)

public:
    // A stored valid mode is assigned (stored back and applied); anything else leaves `both` untouched.
    explicit DisplayModeManager(QObject* parent = nullptr);

    AppDisplayMode displayMode() const { return displayMode_; }
    // Stores and applies the mode, also when it does not change.
    void setDisplayMode(AppDisplayMode mode);

    // The tray icon's visibility switch; an empty function means there is no tray icon.
    void setStatusItem(std::function<void(bool visible)> setVisible) { statusItem_ = std::move(setVisible); }
    void setMainWindow(QWindow* window) { mainWindow_ = window; }
    QWindow* mainWindow() const { return mainWindow_; }

    void applyDisplayMode();
    ActivationPolicy activationPolicy() const { return activationPolicy_; }

Q_SIGNALS:
    void displayModeChanged(pigmo::AppDisplayMode mode);
    // After every application of the mode.
    void activationPolicyApplied(pigmo::ActivationPolicy policy);

private:
    AppDisplayMode displayMode_ = AppDisplayMode::both;
    ActivationPolicy activationPolicy_ = ActivationPolicy::regular;
    std::function<void(bool)> statusItem_;
    QPointer<QWindow> mainWindow_;
};

} // namespace pigmo
