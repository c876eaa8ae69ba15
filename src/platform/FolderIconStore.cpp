#include "platform/FolderIconStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <mutex>
#include <sys/stat.h>

namespace pigmo {
namespace {

QString shortHash(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16));
}

QString prefixOf(const QString& folderPath)
{
    return shortHash(QDir::cleanPath(folderPath).toUtf8()) + u'-';
}

// The store's ".png" file names grouped by folder prefix. Listing the directory for every change would make
// styling N folders cost N listings of up to N files; the names are read again only when the directory's
// modification time shows a change this process did not make. A change by another process that lands
// between one of ours and the time read after it goes unseen, which at worst leaves a file behind.
class StoreListing {
public:
    // The folder's file names (the caller holds `mutex`).
    QStringList namesWithPrefix(const QString& directory, const QString& prefix)
    {
        const std::optional<timespec> now = modificationTime(directory);
        if (!now || !known_ || !sameTime(*now, *known_))
            read(directory, now);
        return byPrefix_.value(prefix.toLower());
    }
    // Records a change this process made (the caller holds `mutex`).
    void added(const QString& directory, const QString& name)
    {
        QStringList& names = byPrefix_[keyOf(name)];
        if (!names.contains(name))
            names.append(name);
        noteOwnChange(directory);
    }
    void removed(const QString& directory, const QString& name)
    {
        byPrefix_[keyOf(name)].removeOne(name);
        noteOwnChange(directory);
    }

    std::mutex mutex;

private:
    static constexpr qsizetype prefixLength = 17; // 16 hexadecimal digits and '-'

    static QString keyOf(const QString& name) { return name.left(prefixLength).toLower(); }
    static bool sameTime(const timespec& a, const timespec& b)
    {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }
    static std::optional<timespec> modificationTime(const QString& directory)
    {
        struct stat info {};
        if (::stat(QFile::encodeName(directory).constData(), &info) != 0)
            return std::nullopt;
        return info.st_mtim;
    }
    void read(const QString& directory, const std::optional<timespec>& time)
    {
        byPrefix_.clear();
        for (const QString& name : QDir(directory).entryList({QStringLiteral("*.png")}, QDir::Files))
            byPrefix_[keyOf(name)].append(name);
        known_ = time;
    }
    // Our own change moved the time on: taken as the listing's time only when the listing was current.
    void noteOwnChange(const QString& directory)
    {
        if (known_)
            known_ = modificationTime(directory);
    }

    QHash<QString, QStringList> byPrefix_;
    std::optional<timespec> known_; // the directory's time when byPrefix_ was last in step with it
};

StoreListing& listing()
{
    static StoreListing instance;
    return instance;
}

} // namespace

QString FolderIconStore::directory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/io.velmar.pigmo2/icons");
}

QString FolderIconStore::fileName(const QString& folderPath, const QByteArray& png)
{
    return prefixOf(folderPath) + shortHash(png) + QStringLiteral(".png");
}

Result<QString> FolderIconStore::store(const QString& folderPath, const QByteArray& png)
{
    const QString dir = directory();
    if (!QDir().mkpath(dir))
        return Result<QString>::failure(QStringLiteral("cannot create %1").arg(dir));
    const QString name = fileName(folderPath, png);
    const QString path = dir + u'/' + name;
    if (QFileInfo(path).size() == png.size() && QFileInfo(path).isFile())
        return path; // the name holds the content's hash
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
        return Result<QString>::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    StoreListing& names = listing();
    const std::lock_guard lock(names.mutex);
    names.added(dir, name);
    return path;
}

void FolderIconStore::removeFilesExcept(const QString& folderPath, const QStringList& keep)
{
    const QString dir = directory();
    StoreListing& names = listing();
    const std::lock_guard lock(names.mutex);
    for (const QString& name : names.namesWithPrefix(dir, prefixOf(folderPath))) {
        const QString path = dir + u'/' + name;
        if (!keep.contains(path) && (QFile::remove(path) || !QFileInfo::exists(path)))
            names.removed(dir, name);
    }
}

} // namespace pigmo
