#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

#include <optional>

namespace pigmo {

// What one start of the program asks for. Travels from a second start to the running instance.
struct LaunchRequest {
    enum class Action {
        launch,    // `pigmo2`: start, or reopen the running instance
        autostart, // `pigmo2 --autostart`: started at login; no window
        open,      // `pigmo2 --open [--subfolders] PATH|URI...`: open the folders in the editor
        smart,     // `pigmo2 --smart [--subfolders] PATH|URI...`: style the folders at once
        notify,    // a named notification for the running instance's window (no command line gives it)
    };
    Action action = Action::launch;
    QStringList folders;    // absolute paths of existing local directories, in the order given (local path text)
    QString notification{}; // `notify` only: the notification's name

    QByteArray toBytes() const;
    static std::optional<LaunchRequest> fromBytes(const QByteArray& bytes);
    bool operator==(const LaunchRequest&) const = default;
};

// An argument of --open or --smart that names no folder that can be reached.
struct UnreachableFolder {
    QString path;   // as `FolderArgument::path`
    QString reason; // as `FolderArgument::unreachable`
    bool operator==(const UnreachableFolder&) const = default;
};

// The outcome of reading the command line: a request to run with, or an exit code with the text to show.
struct CommandLineResult {
    // The exit status of a --smart whose every named folder is unreachable (as `pigmo2 --smart` reports
    // folders it could not style).
    static constexpr int noneReachable = 2;

    std::optional<LaunchRequest> request;
    int exitCode = 0;
    QString output;                       // for standard output (--help, --version)
    QString errorOutput;                  // for standard error
    bool verbose = false;                 // --verbose: diagnostic lines on for this process (never handed over)
    QList<UnreachableFolder> unreachable; // --open and --smart, in the order given
};

class CommandLine {
public:
    // `arguments` includes the program name first. Relative paths are taken from `workingDirectory`.
    // Arguments are taken as `Folder::examineArgument` takes them (a symbolic link named here is followed to
    // its folder): those that name an existing file other than a folder are dropped, those that name nothing
    // that can be reached as a folder are `unreachable`. When no folder is left for --open or --smart the
    // result is "No folders found." with exit status 1, or for --smart with unreachable folders, no text and
    // `noneReachable`. Folders without --open or --smart are opened, as a file manager's "Open With" passes
    // them. With --subfolders each folder gives its visible subfolders instead (one level, in name order,
    // symbolic links skipped).
    static CommandLineResult parse(const QStringList& arguments, const QString& workingDirectory = QDir::currentPath());
    // The process's arguments as text, each name kept whole whatever its bytes (`decodeLocalPath`); Qt's own
    // list loses the bytes that are no UTF-8.
    static QStringList arguments(int argc, const char* const* argv);
};

} // namespace pigmo
