#include "services/LaunchAtLoginManager.h"

#include "base/Log.h"
#include "platform/Autostart.h"
#include "storage/Preferences.h"

namespace pigmo {

LoginItemService autostartLoginItem()
{
    // The XDG autostart entry logs the reason of a failure itself.
    const auto outcome = [](bool done, const char* what) {
        return done ? std::optional<QString>()
                    : std::optional<QString>(
                          QStringLiteral("could not %1 %2").arg(QLatin1String(what), Autostart::filePath()));
    };
    return LoginItemService{
        [] { return Autostart::isEnabled(); },
        [outcome] { return outcome(Autostart::enable(), "write"); },
        [outcome] { return outcome(Autostart::disable(), "remove"); },
    };
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
        log::warning(QStringLiteral("LaunchAtLoginManager: Failed to %1 launch at login: %2")
                         .arg(enabled ? QStringLiteral("enable") : QStringLiteral("disable"), *error));
    }
    const bool actual = service_.isEnabled();
    isEnabled_ = actual;
    // Observers (a switch bound to the value) are told even when the value did not change, so a refused
    // change snaps the switch back.
    Q_EMIT isEnabledChanged(actual);
    if (error || actual != enabled)
        Q_EMIT changeFailed(enabled);
}

} // namespace pigmo
