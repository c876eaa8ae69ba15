#pragma once

#include <QString>

namespace pigmo {

// Starting the program at login: the XDG autostart entry $XDG_CONFIG_HOME/autostart/io.velmar.pigmo2.desktop,
// whose Exec starts a program with --autostart. Enabled means the file exists and is not Hidden=true;
// disabling deletes the file (the session's autostart generator ignores X-GNOME-Autostart-enabled).
// Failures are logged.
class Autostart {
public:
    static QString filePath();
    static bool isEnabled();
    // Writes the entry starting `program`: a name looked up on PATH at login, or an absolute path, quoted
    // in Exec as desktop entries require (spaces, quotes, "$", "%" and the like).
    static bool enable(const QString& program = runningProgram());
    static bool disable();
    // How the login start reaches this running program: "pigmo2" when the pigmo2 found on PATH is this very
    // program, else its absolute path (a program started from its build folder, or another pigmo2 first on
    // PATH).
    static QString runningProgram();
};

} // namespace pigmo
