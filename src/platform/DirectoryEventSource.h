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
// moved-in subdirectories and dropped for removed and moved-out ones. Hidden directories and directories
// under a skipped prefix are not descended into. Lives on the thread that created it (the GUI thread):
// events arrive there through the event loop, never by blocking. When the system runs out of watches, that
// is logged once and the directories watched so far stay watched.
class DirectoryEventSource : public QObject {
    Q_OBJECT

public:
    explicit DirectoryEventSource(QStringList skippedPrefixes, QObject* parent = nullptr);
    ~DirectoryEventSource() override;

    // Opens the inotify instance and watches every directory below the roots; false when inotify cannot be
    // opened (nothing is watched then).
    bool start(const QStringList& roots);
    void stop();
    bool isRunning() const { return fd_ >= 0; }
    int watchCount() const { return int(pathsByWatch_.size()); }

Q_SIGNALS:
    // The events of one read, in the order the kernel reported them.
    void eventsReceived(const QList<pigmo::DirectoryEvent>& events);

private:
    void readEvents();
    void watchTree(const QString& root);
    bool watchOne(const QString& path);
    void unwatchTree(const QString& root);
    void renameTree(const QString& from, const QString& to);
    bool isSkipped(const QString& path) const;

    QStringList skippedPrefixes_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QHash<int, QString> pathsByWatch_;
    QHash<QString, int> watchesByPath_;
    bool exhaustionLogged_ = false;
};

} // namespace pigmo
