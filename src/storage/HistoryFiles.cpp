#include "storage/HistoryFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

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

HistoryFiles::HistoryFiles(QString directory)
    : directory_(std::move(directory))
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

Result<QByteArray> HistoryFiles::read(const QString& name) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QByteArray>::failure(file.errorString());
    return bytes;
}

Done HistoryFiles::write(const QString& name, const QByteArray& bytes) const
{
    QSaveFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Done::failure(file.errorString());
    return std::monostate();
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

} // namespace pigmo
