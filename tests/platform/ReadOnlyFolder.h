#pragma once

// Makes a folder refuse new entries for the length of a test, also when the tests run as root (where mode
// bits are ignored): the immutable attribute is set as well when the process may set it.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pigmo::test {

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path)
        : path_(QFile::encodeName(path))
    {
        ::chmod(path_.constData(), 0555);
        immutable_ = setImmutable(true);
    }
    ~ReadOnlyFolder()
    {
        if (immutable_)
            setImmutable(false);
        ::chmod(path_.constData(), 0755);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // Whether creating a file in the folder really fails now.
    bool isEffective() const
    {
        const QByteArray probe = path_ + "/.probe";
        const int fd = ::open(probe.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return true;
        ::close(fd);
        ::unlink(probe.constData());
        return false;
    }

private:
    bool setImmutable(bool on)
    {
        if (::geteuid() != 0)
            return false;
        const int fd = ::open(path_.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return ok;
    }

    QByteArray path_;
    bool immutable_ = false;
};

} // namespace pigmo::test
