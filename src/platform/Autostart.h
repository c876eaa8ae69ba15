#pragma once

#include <QString>

namespace pigmo {

// Starting the program at login: the XDG autostart entry $XDG_CONFIG_HOME/autostart/io.velmar.pigmo2.desktop
// with Exec=pigmo2 --autostart. Enabled means the file exists and is not Hidden=true; disabling deletes the
// file (the session's autostart generator ignores X-GNOME-Autostart-enabled). Failures are logged.
class Autostart {
public:
    static QString filePath();
    static bool isEnabled();
    static bool enable();
    static bool disable();
};

} // namespace pigmo
