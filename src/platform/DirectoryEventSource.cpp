#include "platform/DirectoryEventSource.h"

#include "base/Folder.h"
#include "base/LocalPath.h"
#include "base/Log.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <linux/magic.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace pigmo {
namespace {

constexpr uint32_t watchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_ONLYDIR;

quint32 flagsOf(uint32_t mask)
{
    quint32 flags = (mask & IN_ISDIR) ? quint32(DirectoryEvent::itemIsDir) : 0U;
    if (mask & IN_CREATE)
        flags |= DirectoryEvent::itemCreated;
    if (mask & IN_DELETE)
        flags |= DirectoryEvent::itemRemoved;
    if (mask & (IN_MOVED_FROM | IN_MOVED_TO))
        flags |= DirectoryEvent::itemRenamed;
    return flags;
}

// The kernel's own file systems: nobody makes folders in them, and some are huge (a proc mount alone holds a
// directory per task). Autofs mount points are left alone too: walking into them mounts what they stand for.
bool isPseudoFileSystem(const QString& path)
{
    constexpr std::array<unsigned long, 17> pseudo{
        PROC_SUPER_MAGIC, SYSFS_MAGIC,      DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, DEBUGFS_MAGIC,
        TRACEFS_MAGIC,    SECURITYFS_MAGIC, PSTOREFS_MAGIC,     BPF_FS_MAGIC,       HUGETLBFS_MAGIC,     BINFMTFS_MAGIC,
        SELINUX_MAGIC,    SMACK_MAGIC,      EFIVARFS_MAGIC,     NSFS_MAGIC,         AUTOFS_SUPER_MAGIC,
    };
    struct statfs status {};
    if (::statfs(encodeLocalPath(path).constData(), &status) != 0)
        return false;
    return std::ranges::find(pseudo, static_cast<unsigned long>(status.f_type)) != pseudo.end();
}

// `name` inside `directory`, with one slash between them also when the directory is the root.
QString childPath(const QString& directory, const QString& name)
{
    return directory.endsWith(u'/') ? directory + name : directory + u'/' + name;
}

} // namespace

int DirectoryEventSource::defaultWatchLimit()
{
    constexpr int ceiling = 65536;
    constexpr int assumedSystemWatches = 8192; // the kernel's old default
    QFile file(QStringLiteral("/proc/sys/fs/inotify/max_user_watches"));
    bool read = false;
    const int system = file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt(&read) : 0;
    return std::clamp((read && system > 0 ? system : assumedSystemWatches) / 2, 1, ceiling);
}

DirectoryEventSource::DirectoryEventSource(QStringList skippedPrefixes, int watchLimit, QObject* parent)
    : QObject(parent)
    , skippedPrefixes_(std::move(skippedPrefixes))
    , watchLimit_(watchLimit)
{
}

DirectoryEventSource::~DirectoryEventSource()
{
    stop();
}

bool DirectoryEventSource::start(const QStringList& roots)
{
    stop();
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return false;
    limitReached_ = false;
    for (const QString& root : roots)
        watchTree(root);
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &DirectoryEventSource::readEvents);
    return true;
}

void DirectoryEventSource::stop()
{
    notifier_.reset();
    if (fd_ >= 0)
        ::close(fd_); // drops every watch of the instance
    fd_ = -1;
    pathsByWatch_.clear();
    watchesByPath_.clear();
}

bool DirectoryEventSource::isSkipped(const QString& path) const
{
    return isWithinAny(path, skippedPrefixes_);
}

void DirectoryEventSource::reachLimit(const QString& reason)
{
    if (std::exchange(limitReached_, true))
        return;
    log::warning(QStringLiteral("FolderWatcherService: %1 after %2 directories; directories beyond them are not "
                                "watched")
                     .arg(reason)
                     .arg(pathsByWatch_.size()));
    Q_EMIT watchLimitReached();
}

bool DirectoryEventSource::watchOne(const QString& path)
{
    if (pathsByWatch_.size() >= watchLimit_) {
        reachLimit(QStringLiteral("Reached the limit of %1 watched directories").arg(watchLimit_));
        return false;
    }
    const int wd = ::inotify_add_watch(fd_, encodeLocalPath(path).constData(), watchMask);
    if (wd < 0) {
        if (errno == ENOSPC)
            reachLimit(QStringLiteral("Out of inotify watches (fs.inotify.max_user_watches)"));
        return false;
    }
    // One directory reached by two paths (a bind mount) shares its watch; the latest path wins.
    if (const QString old = pathsByWatch_.value(wd); !old.isEmpty())
        watchesByPath_.remove(old);
    pathsByWatch_.insert(wd, path);
    watchesByPath_.insert(path, wd);
    return true;
}

void DirectoryEventSource::watchTree(const QString& root)
{
    // Breadth-first over real directories (symbolic links are not followed), without recursion.
    std::deque<QString> queue{root};
    while (!queue.empty()) {
        const QString path = std::move(queue.front());
        queue.pop_front();
        if (isSkipped(path) || isPseudoFileSystem(path))
            continue;
        if (!watchOne(path)) {
            if (limitReached_)
                return;
            continue;
        }
        DIR* directory = ::opendir(encodeLocalPath(path).constData());
        if (!directory)
            continue;
        while (const dirent* entry = ::readdir(directory)) {
            if (entry->d_name[0] == '.')
                continue; // ".", ".." and hidden directories
            bool isDir = entry->d_type == DT_DIR;
            const QString child = childPath(path, decodeLocalPath(entry->d_name));
            if (entry->d_type == DT_UNKNOWN) {
                DIR* probe = ::opendir(encodeLocalPath(child).constData());
                isDir = probe != nullptr;
                if (probe)
                    ::closedir(probe);
            }
            if (isDir)
                queue.push_back(child);
        }
        ::closedir(directory);
    }
}

void DirectoryEventSource::unwatchTree(const QString& root)
{
    const QString prefix = root + u'/';
    for (auto it = watchesByPath_.begin(); it != watchesByPath_.end();) {
        if (it.key() == root || it.key().startsWith(prefix)) {
            ::inotify_rm_watch(fd_, it.value());
            pathsByWatch_.remove(it.value());
            it = watchesByPath_.erase(it);
        } else {
            ++it;
        }
    }
}

void DirectoryEventSource::renameTree(const QString& from, const QString& to)
{
    const QString prefix = from + u'/';
    QList<std::pair<QString, int>> moved;
    for (auto it = watchesByPath_.begin(); it != watchesByPath_.end();) {
        if (it.key() == from || it.key().startsWith(prefix)) {
            moved.append({to + it.key().mid(from.size()), it.value()});
            it = watchesByPath_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& [path, wd] : moved) {
        pathsByWatch_.insert(wd, path);
        watchesByPath_.insert(path, wd);
    }
}

void DirectoryEventSource::readEvents()
{
    alignas(inotify_event) char buffer[64 * 1024];
    QList<DirectoryEvent> events;
    QHash<quint32, QString> movedAway; // directories renamed from, by cookie, not yet seen arriving
    for (;;) {
        const ssize_t length = ::read(fd_, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                log::warning(QStringLiteral("FolderWatcherService: Event queue overflowed; some events were lost"));
                continue;
            }
            const QString directory = pathsByWatch_.value(event->wd);
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF)) {
                if (event->mask & IN_IGNORED)
                    watchesByPath_.remove(pathsByWatch_.take(event->wd));
                continue;
            }
            if (directory.isEmpty() || event->len == 0)
                continue;
            const QString path = childPath(directory, decodeLocalPath(static_cast<const char*>(event->name)));
            if (event->mask & IN_ISDIR) {
                const bool hidden = event->name[0] == '.';
                if (event->mask & IN_MOVED_FROM)
                    movedAway.insert(event->cookie, path);
                if ((event->mask & IN_MOVED_TO) && movedAway.contains(event->cookie))
                    renameTree(movedAway.take(event->cookie), path);
                else if ((event->mask & (IN_CREATE | IN_MOVED_TO)) && !hidden)
                    watchTree(path);
            }
            events.append({path, flagsOf(event->mask), event->cookie});
        }
    }
    for (const QString& gone : std::as_const(movedAway))
        unwatchTree(gone); // moved out of the watched tree
    if (!events.isEmpty())
        Q_EMIT eventsReceived(events);
}

} // namespace pigmo
