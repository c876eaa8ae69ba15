#pragma once

#include "app/AppDelegate.h"

#include <QString>
#include <QStringList>

namespace pigmo {

// What one command line asks of the program:
//   pigmo2 [--autostart] [--open FOLDER...] [--smart FOLDER...] [--help] [--version]
// Folders are paths (relative ones resolved against the caller's working directory) or file:// URIs;
// bare operands are folders to open, as a file manager's "Open With" passes them.
struct CommandLine {
    enum class Outcome { run, showHelp, showVersion, invalid, noFolders };

    Outcome outcome = Outcome::run;
    LaunchRequest request;
    QString message; // what to print for help, version and errors

    // `arguments` includes the program name first.
    static CommandLine parse(const QStringList& arguments, const QString& workingDirectory);
    // The exit status for an outcome that ends the program before it runs.
    int exitStatus() const;
};

} // namespace pigmo
