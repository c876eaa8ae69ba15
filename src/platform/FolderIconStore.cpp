#include "platform/FolderIconStore.h"

#include "base/LocalPath.h"
#include "base/ThreadSafety.h"
#include "base/WholeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <array>
#include <dirent.h>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/stat.h>

namespace pigmo {
namespace {

QString shortHash(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16));
}

QString prefixOf(const QString& folderPath)
{
    return shortHash(encodeLocalPath(QDir::cleanPath(folderPath))) + u'-';
}

// What identifies one state of a directory: adding, removing or renaming an entry changes its change and
// modification times, and a directory made again is another inode. Nothing when it cannot be examined.
using DirectoryIdentity = std::array<qint64, 4>;

std::optional<DirectoryIdentity> identityOf(const QByteArray& path)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return DirectoryIdentity{qint64(info.st_dev), qint64(info.st_ino),
                             qint64(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec,
                             qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

constexpr qsizetype prefixLength = 17; // 16 hexadecimal digits and "-"

// The key a name is listed under: its first `prefixLength` bytes in ASCII lower case; nothing for a name
// that cannot be a stored file's (too short, or not ending in ".png" in any case).
std::optional<QByteArray> prefixKey(std::string_view name)
{
    if (name.size() < size_t(prefixLength) + 4 || qstrnicmp(name.data() + name.size() - 4, ".png", 4) != 0)
        return std::nullopt;
    return QByteArray(name.data(), prefixLength).toLower();
}

// The directory's PNG files (regular files, or symbolic links to one) by the folder prefix they start with,
// listed once and then kept in step with this process's own changes, so that a change costs no pass over
// thousands of names. Listed again whenever the directory is not in the state recorded after this process's
// last change: someone else changed it. (A change by another process within the same tick of the clock as
// one of ours can go unseen until the next; its files are then only left in place.) Every member is used
// under `mutex`.
class Listing {
public:
    static Listing& instance()
    {
        static auto* const listing = new Listing; // never destroyed: icon threads may outlive static objects
        return *listing;
    }

    Mutex mutex;

    // Makes this the listing of `directory` as it is now.
    void refresh(const QString& directory) PIGMO_REQUIRES(mutex)
    {
        QByteArray path = QFile::encodeName(directory);
        const std::optional<DirectoryIdentity> identity = identityOf(path);
        if (listed_ && path == path_ && identity == identity_)
            return;
        // The state before the pass: a change made during it shows as a changed directory next time.
        path_ = std::move(path);
        identity_ = identity;
        listed_ = true;
        list();
    }
    // Records the directory's state right after this process changed it (and told the listing how).
    void recordOwnChange() PIGMO_REQUIRES(mutex) { identity_ = identityOf(path_); }

    // Held by the caller while it uses the list.
    QStringList& namesWith(const QString& prefix) PIGMO_REQUIRES(mutex) { return names_[prefix.toLatin1().toLower()]; }

private:
    void list() PIGMO_REQUIRES(mutex)
    {
        names_.clear();
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path_.constData()), &closedir);
        if (!dir)
            return;
        while (const dirent* entry = readdir(dir.get())) {
            const std::optional<QByteArray> key = prefixKey(entry->d_name);
            if (!key)
                continue;
            bool regular = entry->d_type == DT_REG;
            if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
                struct stat info {};
                regular = fstatat(dirfd(dir.get()), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
            }
            if (regular)
                names_[*key].append(QFile::decodeName(entry->d_name));
        }
    }

    QByteArray path_ PIGMO_GUARDED_BY(mutex);
    std::optional<DirectoryIdentity> identity_ PIGMO_GUARDED_BY(mutex);
    bool listed_ PIGMO_GUARDED_BY(mutex) = false;
    QHash<QByteArray, QStringList> names_ PIGMO_GUARDED_BY(mutex);
};

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

QString FolderIconStore::filePath(const QString& folderPath, const QByteArray& png)
{
    return directory() + u'/' + fileName(folderPath, png);
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
    const auto failure = [&path](const Result<void>& written) {
        return Result<QString>::failure(QStringLiteral("cannot write %1: %2").arg(path, written.error()));
    };
    // The directory changes when the new file is opened (where it gets a name at once) and when it takes its
    // name, each time under the listing's lock; writing and syncing the content happen outside it.
    Listing& listing = Listing::instance();
    WholeFile file(path);
    {
        const MutexLock lock(listing.mutex);
        listing.refresh(dir);
        if (const Result<void> opened = file.open(); !opened)
            return failure(opened);
        listing.recordOwnChange();
    }
    if (const Result<void> written = file.write(png); !written)
        return failure(written);
    if (const Result<void> synced = file.sync(); !synced)
        return failure(synced);
    const MutexLock lock(listing.mutex);
    listing.refresh(dir);
    if (const Result<void> committed = file.commit(); !committed) // syncs again, which costs nothing now
        return failure(committed);
    listing.namesWith(prefixOf(folderPath)).append(name);
    listing.recordOwnChange();
    return path;
}

void FolderIconStore::removeFilesExcept(const QString& folderPath, const QStringList& keep)
{
    const QString dir = directory();
    Listing& listing = Listing::instance();
    const MutexLock lock(listing.mutex);
    listing.refresh(dir);
    QStringList& names = listing.namesWith(prefixOf(folderPath));
    bool removed = false;
    names.removeIf([&](const QString& name) {
        const QString path = dir + u'/' + name;
        if (keep.contains(path))
            return false;
        if (QFile::remove(path)) {
            removed = true;
            return true;
        }
        return !QFileInfo::exists(path); // gone already; a file that stays is tried again next time
    });
    if (removed)
        listing.recordOwnChange();
}

} // namespace pigmo
