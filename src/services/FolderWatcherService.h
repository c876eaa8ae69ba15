#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace pigmo {

class DirectoryEventSource;
class FolderStyling;
struct DirectoryEvent;

// Styles the folders the user creates while the program runs. Follows the watched directories recursively;
// a new folder that carries a file manager's untitled name waits for its rename (at most 30 s) and is then
// styled without asking, under its final name. Folders created under any other name are left alone.
//
// Every field lives on the GUI thread (events arrive through the event loop); the styling itself goes to the
// folder styler, which writes on its queue and reports back on the GUI thread. Constructing the service reads
// the stored switch and directories but starts nothing: its owner calls `start()` once folder access was
// checked.
class FolderWatcherService : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isEnabled READ isEnabled WRITE setEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(QStringList watchedDirectories READ watchedDirectories WRITE setWatchedDirectories NOTIFY
                   watchedDirectoriesChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(bool isAtWatchLimit READ isAtWatchLimit NOTIFY isAtWatchLimitChanged)

public:
    struct Dependencies {
        // The Full Disk Access flag, read (not probed) when starting.
        std::function<bool()> hasFullDiskAccess;
        // Styles each new folder by its name (not owned; nullptr: nothing is styled).
        FolderStyling* styling = nullptr;
        // Paths under these prefixes are neither watched nor styled.
        QStringList skippedPrefixes = defaultSkippedPrefixes();
        // At most this many directories are watched at once; none: the event source's default.
        std::optional<int> watchLimit = std::nullopt;
    };

    // The kernel's, the system's and the scratch locations: /proc, /sys, /dev, /run, /tmp and /var.
    static QStringList defaultSkippedPrefixes();

    // Reads the stored switch, the stored directories, and the default directories when none are stored.
    explicit FolderWatcherService(Dependencies dependencies, QObject* parent = nullptr);
    ~FolderWatcherService() override;

    bool isEnabled() const { return isEnabled_; }
    // Stores the switch, then starts (true) or stops (false); on every set.
    void setEnabled(bool enabled);

    // The absolute paths of the watched directories.
    QStringList watchedDirectories() const { return watchedDirectories_; }
    // Stores the list (paths cleaned); when enabled, restarts watching.
    void setWatchedDirectories(const QStringList& directories);
    void addDirectory(const QString& directory);
    void removeDirectory(const QString& directory);

    bool isRunning() const;
    // While running: some directory of the watched trees is not watched, because the limit of watched
    // directories (or the system's number of watches) was reached. New folders there are not styled.
    bool isAtWatchLimit() const;
    void start();
    // Ends watching and forgets every pending and recent folder.
    void stop();

    void handleEvents(const QList<pigmo::DirectoryEvent>& events);
    void colorizeNewFolder(const QString& path);

    void setupDefaultDirectories();
    void saveDirectories();
    void loadDirectories();

    // The file managers' names of a freshly created folder, as stored (compared in lower case).
    static const QStringList& untitledFolderNames();
    static bool isUntitledName(const QString& name);

    // How long a new untitled folder waits for its rename (30 s); tests shorten it.
    void setRenameTimeout(std::chrono::milliseconds timeout) { renameTimeout_ = timeout; }
    int pendingCount() const { return int(pendingRename_.size()); }
    // Directories with a watch right now (the watched trees without hidden and skipped ones).
    int watchedDirectoryCount() const;
    QStringList watchedPaths() const;

Q_SIGNALS:
    void isEnabledChanged(bool enabled);
    void watchedDirectoriesChanged(const QStringList& directories);
    void isRunningChanged(bool running);
    void isAtWatchLimitChanged(bool atLimit);
    // After a styling ended (its history recorded when it succeeded); GUI thread.
    void folderColorized(const QString& path, bool succeeded);

private:
    bool isSkipped(const QString& path) const;
    void handleRename(const DirectoryEvent& event);
    void handleCreation(const DirectoryEvent& event);
    void renameTimedOut(const QString& path);

    Dependencies dependencies_;
    bool isEnabled_ = false;
    QStringList watchedDirectories_;
    QStringList skippedPrefixes_;
    std::unique_ptr<DirectoryEventSource> source_;
    QSet<QString> recentlyColorized_;
    QHash<QString, QTimer*> pendingRename_;
    QHash<quint32, QString> renameSources_; // old paths of directories renamed while something was pending
    std::chrono::milliseconds renameTimeout_{30000};
    static constexpr std::chrono::milliseconds debounceInterval{2000};
};

} // namespace pigmo
