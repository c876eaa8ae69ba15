#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>

#include <memory>

namespace pigmo {

// One change below a watched directory, with flags of the meanings the watcher's filter is written for
// (one inotify event may carry several: a directory created, a directory moved in or out).
struct DirectoryEvent {
    enum Flag : quint32 {
        itemCreated = 1u << 0,
        itemRemoved = 1u << 1,
        itemRenamed = 1u << 2,
        itemIsDir = 1u << 3,
    };
    QString path;
    quint32 flags = 0;
    // Pairs the two halves of a rename (old name, then new name); 0 for other events.
    quint32 cookie = 0;
};

// Recursive directory events over inotify: one watch per directory below the roots, added for new and
// moved-in subdirectories and dropped for removed and moved-out ones. Hidden directories, directories under
// a skipped prefix and the kernel's pseudo file systems (proc, sysfs, cgroup, debugfs... wherever they are
// mounted) are not descended into. The trees are walked breadth first, so that the directories nearest the
// roots are watched first.
//
// At most `watchLimit` directories are watched, well under the system's per-user number of watches, which
// every other program of the user shares. When the limit or the system's number is reached, that is logged
// once, `watchLimitReached` is emitted once, and the directories watched so far stay watched. Lives on the
// thread that created it (the GUI thread): events arrive there through the event loop, never by blocking.
class DirectoryEventSource : public QObject {
    Q_OBJECT

public:
    explicit DirectoryEventSource(QStringList skippedPrefixes, int watchLimit = defaultWatchLimit(),
                                  QObject* parent = nullptr);
    ~DirectoryEventSource() override;

    // Opens the inotify instance and watches every directory below the roots; false when inotify cannot be
    // opened (nothing is watched then).
    bool start(const QStringList& roots);
    void stop();
    bool isRunning() const { return fd_ >= 0; }
    int watchCount() const { return int(pathsByWatch_.size()); }
    // The directories with a watch right now.
    QStringList watchedPaths() const { return watchesByPath_.keys(); }
    // Since the last start, some directory was left unwatched because the limit was reached.
    bool isAtWatchLimit() const { return limitReached_; }

    // Half the system's number of watches per user (fs.inotify.max_user_watches), at most 65536.
    static int defaultWatchLimit();

Q_SIGNALS:
    // The events of one read, in the order the kernel reported them.
    void eventsReceived(const QList<pigmo::DirectoryEvent>& events);
    // Once per start, when the first directory is left unwatched for want of watches.
    void watchLimitReached();

private:
    void readEvents();
    void watchTree(const QString& root);
    bool watchOne(const QString& path);
    void unwatchTree(const QString& root);
    void renameTree(const QString& from, const QString& to);
    bool isSkipped(const QString& path) const;
    void reachLimit(const QString& reason);

    QStringList skippedPrefixes_;
    int watchLimit_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QHash<int, QString> pathsByWatch_;
    QHash<QString, int> watchesByPath_;
    bool limitReached_ = false;
};

} // namespace pigmo
