#include "platform/DirectoryEventSource.h"

#include "base/Folder.h"
#include "base/Log.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/inotify.h>
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

} // namespace

DirectoryEventSource::DirectoryEventSource(QStringList skippedPrefixes, QObject* parent)
    : QObject(parent)
    , skippedPrefixes_(std::move(skippedPrefixes))
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
    exhaustionLogged_ = false;
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

bool DirectoryEventSource::watchOne(const QString& path)
{
    const int wd = ::inotify_add_watch(fd_, QFile::encodeName(path).constData(), watchMask);
    if (wd < 0) {
        if (errno == ENOSPC && !exhaustionLogged_) {
            exhaustionLogged_ = true;
            log::warning(QStringLiteral("FolderWatcherService: Out of inotify watches after %1 directories; "
                                        "directories beyond them are not watched (raise "
                                        "fs.inotify.max_user_watches to watch them)")
                             .arg(pathsByWatch_.size()));
        }
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
    // Depth-first over real directories (symbolic links are not followed), without recursion.
    QStringList stack{root};
    while (!stack.isEmpty()) {
        const QString path = stack.takeLast();
        if (isSkipped(path) || !watchOne(path))
            continue;
        DIR* directory = ::opendir(QFile::encodeName(path).constData());
        if (!directory)
            continue;
        while (const dirent* entry = ::readdir(directory)) {
            if (entry->d_name[0] == '.')
                continue; // ".", ".." and hidden directories
            bool isDir = entry->d_type == DT_DIR;
            const QString child = path + u'/' + QFile::decodeName(entry->d_name);
            if (entry->d_type == DT_UNKNOWN) {
                DIR* probe = ::opendir(QFile::encodeName(child).constData());
                isDir = probe != nullptr;
                if (probe)
                    ::closedir(probe);
            }
            if (isDir)
                stack.append(child);
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
            const QString path = directory + u'/' + QFile::decodeName(event->name);
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
