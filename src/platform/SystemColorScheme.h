#pragma once

#include "platform/Appearance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

#include <optional>

namespace pigmo {

// The desktop's colour scheme, "org.freedesktop.appearance" "color-scheme" of xdg-desktop-portal's Settings
// interface on the session bus (ReadOne, or Read on older portals), followed through its SettingChanged
// signal. Without a bus or a portal the scheme is unknown (nothing); callers then keep the current palette.
// GUI thread.
class SystemColorScheme : public QObject {
    Q_OBJECT
public:
    explicit SystemColorScheme(const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    // The last answer of the portal, nothing when none answered.
    std::optional<ColorScheme> current() const { return current_; }
    // Asks the portal again, waiting at most a second.
    std::optional<ColorScheme> refresh();

Q_SIGNALS:
    void changed(pigmo::ColorScheme scheme);

private Q_SLOTS:
    void onSettingChanged(const QDBusMessage& message); // SettingChanged(namespace, key, value)

private:
    QDBusConnection bus_;
    std::optional<ColorScheme> current_;
};

} // namespace pigmo
