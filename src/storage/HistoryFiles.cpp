#include "storage/HistoryFiles.h"

#include "base/WholeFile.h"
#include "model/StyleJson.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace pigmo {
namespace {

constexpr int lockTimeoutMs = 5000;

QString lockFailure(const QString& path, QLockFile::LockError error)
{
    switch (error) {
    case QLockFile::LockFailedError:
        return QStringLiteral("Could not lock %1: another process is writing the history.").arg(path);
    case QLockFile::PermissionError:
        return QStringLiteral("Could not lock %1: permission denied.").arg(path);
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("Could not lock %1.").arg(path);
}

// Writes the pieces' bytes from `from` on.
Result<void> writeFrom(WholeFile& file, std::span<const QByteArrayView> pieces, qsizetype from)
{
    for (QByteArrayView piece : pieces) {
        const qsizetype skipped = std::min(from, piece.size());
        from -= skipped;
        if (const Result<void> written = file.write(piece.sliced(skipped)); !written)
            return written;
    }
    return Result<void>::success();
}

// The file a write replaces, kept open across the rename: the rename then only unlinks it, and its space
// is freed when the last handle goes, through `releaseLater` when there is one.
class ReplacedFile {
public:
    ReplacedFile(const QString& path, const HistoryFiles::Later& releaseLater)
        : fd_(::open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC))
        , releaseLater_(releaseLater)
    {
    }
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;
    ~ReplacedFile()
    {
        if (fd_ < 0)
            return;
        if (releaseLater_)
            releaseLater_([fd = fd_] { ::close(fd); });
        else
            ::close(fd_);
    }

private:
    int fd_;
    const HistoryFiles::Later& releaseLater_;
};

} // namespace

HistoryFiles::Lock::Lock(std::unique_ptr<QLockFile> file, QString error)
    : file_(std::move(file))
    , error_(std::move(error))
    , held_(file_ != nullptr)
{
}

HistoryFiles::Lock HistoryFiles::Lock::alreadyHeld()
{
    Lock lock(nullptr, {});
    lock.held_ = true;
    return lock;
}

HistoryFiles::Lock::Lock(Lock&&) noexcept = default;
HistoryFiles::Lock::~Lock() = default; // QLockFile unlocks on destruction

HistoryFiles::Draft::Draft(std::unique_ptr<WholeFile> file, qsizetype size)
    : file_(std::move(file))
    , size_(size)
{
}

HistoryFiles::Draft::Draft(Draft&&) noexcept = default;
HistoryFiles::Draft& HistoryFiles::Draft::operator=(Draft&&) noexcept = default;
HistoryFiles::Draft::~Draft() = default; // an uncommitted file leaves nothing behind

HistoryFiles::HistoryFiles(QString directory, Later releaseLater)
    : directory_(std::move(directory))
    , releaseLater_(std::move(releaseLater))
{
}

const QString& HistoryFiles::directory() const
{
    if (!QFileInfo::exists(directory_))
        QDir().mkpath(directory_);
    return directory_;
}

QString HistoryFiles::filePath(const QString& name) const
{
    return directory() + QLatin1Char('/') + name;
}

bool HistoryFiles::exists(const QString& name) const
{
    return QFileInfo::exists(filePath(name));
}

HistoryFiles::Lock HistoryFiles::lock() const
{
    const QString path = filePath(QStringLiteral(".history.lock"));
    auto file = std::make_unique<QLockFile>(path);
    if (file->tryLock(lockTimeoutMs))
        return Lock(std::move(file), {});
    return Lock(nullptr, lockFailure(path, file->error()));
}

Result<QByteArray> HistoryFiles::read(const QString& name, qsizetype room) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(file.errorString());
    // Read into room the JSON parser can read in place (a history file is megabytes long); a file that
    // grows meanwhile is read to its end all the same.
    QByteArray bytes = json::withParsePadding(file.size() + room);
    bytes.resize(file.size());
    const qint64 count = file.read(bytes.data(), bytes.size());
    if (count >= 0)
        bytes.resize(count);
    if (count == bytes.size() && !file.atEnd())
        bytes += file.readAll();
    if (count < 0 || file.error() != QFileDevice::NoError)
        return Result<QByteArray>::failure(file.errorString());
    return bytes;
}

Done HistoryFiles::write(const QString& name, const QByteArray& bytes) const
{
    const QByteArrayView whole(bytes);
    return write(name, std::span(&whole, 1));
}

Done HistoryFiles::write(const QString& name, std::span<const QByteArrayView> pieces, std::optional<Draft> draft) const
{
    std::unique_ptr<WholeFile> file = draft ? std::move(draft->file_) : std::make_unique<WholeFile>(filePath(name));
    Q_ASSERT(file->path() == filePath(name));
    if (!draft) {
        if (const Result<void> opened = file->open(); !opened)
            return Done::failure(opened.error());
    }
    if (const Result<void> written = writeFrom(*file, pieces, draft ? draft->size() : 0); !written)
        return Done::failure(written.error()); // the new file goes with `file`
    const ReplacedFile replaced(file->path(), releaseLater_);
    if (const Result<void> committed = file->commit(); !committed)
        return Done::failure(committed.error());
    return std::monostate();
}

std::optional<HistoryFiles::Draft> HistoryFiles::draft(const QString& name, std::span<const QByteArrayView> start) const
{
    auto file = std::make_unique<WholeFile>(filePath(name));
    // Synced now, so that completing it syncs only what is added then.
    if (!file->open() || !writeFrom(*file, start, 0) || !file->sync())
        return std::nullopt;
    const qsizetype size = file->size();
    return Draft(std::move(file), size);
}

Result<QString> HistoryFiles::moveAside(const QString& name) const
{
    const QString original = filePath(name);
    const QString base = original + QStringLiteral(".corrupt-") +
                         QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString target = base;
    for (int attempt = 2; QFileInfo::exists(target); ++attempt)
        target = base + QLatin1Char('-') + QString::number(attempt);
    QFile file(original);
    if (!file.rename(target))
        return Result<QString>::failure(file.errorString());
    return target;
}

FileIdentity fileIdentity(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {qint64(info.st_dev), qint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

} // namespace pigmo
