#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace pigmo {

// Where the program's registration as a login item lives (the XDG autostart entry on Linux).
struct LoginItemService {
    std::function<bool()> isEnabled;
    // Each gives nothing on success, else the reason it failed.
    std::function<std::optional<QString>()> registerApp;
    std::function<std::optional<QString>()> unregisterApp;
};

// The program's login item: the XDG autostart entry.
LoginItemService autostartLoginItem();

// Whether the program starts at login. The first run (no "hasSetLaunchAtLoginDefault") registers it unless
// it already is; later runs only read the registration. `isEnabled` always publishes the registration as
// it really is after a change: a failed (un)registration is logged and the published value follows the
// service. GUI thread only.
class LaunchAtLoginManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled NOTIFY isEnabledChanged)

public:
    explicit LaunchAtLoginManager(LoginItemService service, QObject* parent = nullptr);

    bool isEnabled() const { return isEnabled_; }
    void setEnabled(bool enabled);

Q_SIGNALS:
    void isEnabledChanged(bool enabled);
    // A change was refused; emitted after `isEnabledChanged` has published the registration as it is.
    void changeFailed(bool requested);

private:
    LoginItemService service_;
    bool isEnabled_ = false;
};

} // namespace pigmo
