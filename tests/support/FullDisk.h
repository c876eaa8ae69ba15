#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace pigmo::test {

// A disk that runs out of room, for the files written in one directory. Where this process may mount file
// systems (root), the directory becomes a small tmpfs of its own, and `fill(room)` takes all of it but
// `room` bytes with a ballast file: writes beyond that fail with ENOSPC. Elsewhere `fill(room)` lets no file
// of this process grow beyond `room` bytes (RLIMIT_FSIZE with SIGXFSZ ignored: EFBIG), which the writes of
// the code under test meet the same way. `empty()` gives the room back. Make it before anything is written
// in the directory, which must be empty.
class FullDisk {
public:
    explicit FullDisk(const QString& directory)
        : directory_(directory)
    {
        QDir().mkpath(directory);
        mounted_ = ::mount("tmpfs", QFile::encodeName(directory).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                           "size=4m,mode=0700") == 0;
    }
    ~FullDisk()
    {
        empty();
        if (mounted_)
            ::umount2(QFile::encodeName(directory_).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return mounted_; }
    // What the failed writes say.
    QString reason() const { return qt_error_string(mounted_ ? ENOSPC : EFBIG); }

    void fill(qint64 room)
    {
        empty();
        if (!mounted_) {
            ::getrlimit(RLIMIT_FSIZE, &savedLimit_);
            const rlimit limit{rlim_t(room), savedLimit_.rlim_max};
            savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            limited_ = true;
            return;
        }
        struct statvfs space {};
        ::statvfs(QFile::encodeName(directory_).constData(), &space);
        const qint64 free = qint64(space.f_bavail) * qint64(space.f_frsize);
        const int fd = ::open(ballast().constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::posix_fallocate(fd, 0, free - room);
            ::close(fd);
        }
    }

    void empty()
    {
        if (limited_) {
            ::setrlimit(RLIMIT_FSIZE, &savedLimit_);
            std::signal(SIGXFSZ, savedSignal_);
            limited_ = false;
        }
        if (mounted_)
            ::unlink(ballast().constData());
    }

private:
    QByteArray ballast() const { return QFile::encodeName(directory_ + QStringLiteral("/.ballast")); }

    QString directory_;
    bool mounted_ = false;
    bool limited_ = false;
    rlimit savedLimit_{};
    void (*savedSignal_)(int) = SIG_DFL;
};

} // namespace pigmo::test
