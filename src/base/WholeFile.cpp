#include "base/WholeFile.h"

#include "base/LocalPath.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pigmo {
namespace {

Result<void> systemFailure()
{
    return Result<void>::failure(qt_error_string(errno));
}

// A name beside `target` that no other write of this process uses.
QByteArray temporaryNameFor(const QByteArray& target)
{
    static std::atomic<quint64> next{0};
    return target + ".new-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(next++);
}

QByteArray directoryOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// The file a write to `path` replaces: the target of a symbolic link (followed to its end), else `path`.
QByteArray replacedPath(const QByteArray& path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.constData(), resolved) == nullptr)
        return path; // a dangling link is replaced itself
    return QByteArray(resolved);
}

} // namespace

WholeFile::WholeFile(const QString& path)
    : path_(path)
    , target_(encodeLocalPath(path))
{
}

WholeFile::~WholeFile()
{
    discard();
}

Result<void> WholeFile::replace(const QString& path, QByteArrayView bytes)
{
    WholeFile file(path);
    Result<void> done = file.open();
    if (done)
        done = file.write(bytes);
    return done ? file.commit() : done;
}

void WholeFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporaryName_.isEmpty())
        ::unlink(temporaryName_.constData());
    temporaryName_.clear();
}

Result<void> WholeFile::open()
{
    target_ = replacedPath(target_);
    struct stat existing {};
    const bool replaces = ::stat(target_.constData(), &existing) == 0;
    fd_ = ::open(directoryOf(target_).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ < 0) { // a file system without unnamed files
        temporaryName_ = temporaryNameFor(target_);
        fd_ = ::open(temporaryName_.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            temporaryName_.clear();
            return systemFailure();
        }
    }
    if (replaces && ::fchmod(fd_, existing.st_mode & 07777) != 0)
        return systemFailure();
    return Result<void>::success();
}

Result<void> WholeFile::write(QByteArrayView bytes)
{
    if (buffer_.size() + bytes.size() <= bufferSize) {
        buffer_.append(bytes);
        return Result<void>::success();
    }
    if (const Result<void> flushed = flush(); !flushed)
        return flushed;
    if (bytes.size() < bufferSize) {
        buffer_.append(bytes);
        return Result<void>::success();
    }
    return writeOut(bytes);
}

Result<void> WholeFile::flush()
{
    const Result<void> written = writeOut(buffer_);
    buffer_.clear();
    return written;
}

Result<void> WholeFile::writeOut(QByteArrayView bytes)
{
    if (fd_ < 0)
        return Result<void>::failure(QStringLiteral("the file is not open"));
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd_, bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return systemFailure();
        if (written == 0)
            return Result<void>::failure(QStringLiteral("nothing more could be written"));
        bytes = bytes.sliced(written);
        size_ += written;
    }
    return Result<void>::success();
}

Result<void> WholeFile::sync()
{
    if (const Result<void> flushed = flush(); !flushed)
        return flushed;
    if (::fdatasync(fd_) != 0)
        return systemFailure();
    return Result<void>::success();
}

Result<void> WholeFile::commit()
{
    if (const Result<void> synced = sync(); !synced)
        return synced;
    if (temporaryName_.isEmpty()) {
        // An unnamed file that replaces nothing takes its name at once, so that no other name is ever left
        // behind (by a kill); one that replaces a file gets a name beside it first.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target_.constData(), AT_SYMLINK_FOLLOW) == 0) {
            ::close(std::exchange(fd_, -1));
            return Result<void>::success();
        }
        if (errno != EEXIST)
            return systemFailure();
        const QByteArray name = temporaryNameFor(target_);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) != 0)
            return systemFailure();
        temporaryName_ = name;
    }
    if (::rename(temporaryName_.constData(), target_.constData()) != 0)
        return systemFailure();
    temporaryName_.clear();
    ::close(std::exchange(fd_, -1)); // in place and synced: nothing close could say changes that
    return Result<void>::success();
}

} // namespace pigmo
