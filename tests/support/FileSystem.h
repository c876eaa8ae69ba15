#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace pigmo::test {

// Whether the file system holding `path` stores attributes in the `user.` namespace (ext4 and tmpfs on
// recent kernels do; some network and overlay file systems refuse them with EOPNOTSUPP).
inline bool userAttributesSupported(const QString& path)
{
    const QByteArray file = QFile::encodeName(path);
    if (::setxattr(file.constData(), "user.pigmo.probe", "1", 1, 0) != 0)
        return errno != EOPNOTSUPP && errno != ENOTSUP;
    ::removexattr(file.constData(), "user.pigmo.probe");
    return true;
}

// Makes the file system refuse every change to a file or directory while it lives: the immutable flag
// (refused even to root, EPERM), or without the privilege to set it, write permission taken away
// (EACCES for an ordinary user). `active()` is false when neither is possible here.
class WriteProtection {
public:
    explicit WriteProtection(const QString& path)
        : path_(QFile::encodeName(path))
    {
        if (setImmutable(true))
            mode_ = Mode::immutable;
        else if (::geteuid() != 0 && ::stat(path_.constData(), &original_) == 0 &&
                 ::chmod(path_.constData(), original_.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            mode_ = Mode::permissions;
    }
    ~WriteProtection()
    {
        if (mode_ == Mode::immutable)
            setImmutable(false);
        else if (mode_ == Mode::permissions)
            ::chmod(path_.constData(), original_.st_mode);
    }
    WriteProtection(const WriteProtection&) = delete;
    WriteProtection& operator=(const WriteProtection&) = delete;

    bool active() const { return mode_ != Mode::none; }

private:
    enum class Mode { none, immutable, permissions };

    bool setImmutable(bool on) const
    {
        const int fd = ::open(path_.constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    QByteArray path_;
    struct stat original_ {};
    Mode mode_ = Mode::none;
};

} // namespace pigmo::test
