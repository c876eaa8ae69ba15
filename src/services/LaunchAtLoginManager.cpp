#include "services/LaunchAtLoginManager.h"

#include "model/Log.h"
#include "storage/Preferences.h"

namespace pigmo {

LaunchAtLoginManager& LaunchAtLoginManager::shared()
{
    static auto* instance = new LaunchAtLoginManager(LoginItemService{
        [] { return false; },
        [] { return std::optional<QString>(QStringLiteral("no login-item service")); },
        [] { return std::optional<QString>(); },
    });
    return *instance;
}

LaunchAtLoginManager::LaunchAtLoginManager(LoginItemService service, QObject* parent)
    : QObject(parent)
    , service_(std::move(service))
    , isEnabled_(service_.isEnabled())
{
    if (Preferences::value(prefs::hasSetLaunchAtLoginDefault))
        return;
    Preferences::setValue(prefs::hasSetLaunchAtLoginDefault, true);
    if (!isEnabled_)
        setEnabled(true);
}

void LaunchAtLoginManager::setEnabled(bool enabled)
{
    const std::optional<QString> error = enabled ? service_.registerApp() : service_.unregisterApp();
    if (error) {
        log::system(QStringLiteral("LaunchAtLoginManager: Failed to %1 launch at login: %2")
                        .arg(enabled ? QStringLiteral("enable") : QStringLiteral("disable"), *error));
    }
    const bool actual = service_.isEnabled();
    isEnabled_ = actual;
    // Observers (a switch bound to the value) are told even when the value did not change, so a refused
    // change snaps the switch back.
    Q_EMIT isEnabledChanged(actual);
}

} // namespace pigmo
