#include "platform/FolderIcons.h"

#include "base/LocalPath.h"
#include "base/Log.h"
#include "base/ThreadSafety.h"
#include "platform/DirectoryFile.h"
#include "platform/FolderIconStore.h"
#include "platform/GvfsMetadata.h"
#include "platform/IconTheme.h"
#include "platform/PngEncoder.h"
#include "storage/BundleResources.h"

#include <QBuffer>
#include <QCache>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <optional>
#include <sys/stat.h>

namespace pigmo {
namespace {

// Serialises changes: a removal on a global queue may meet a set on the icon queue for the same folder.
std::mutex& changeMutex()
{
    static std::mutex mutex;
    return mutex;
}

void logFailure(const QString& what, const QString& folder, const QString& reason)
{
    log::warning(QStringLiteral("FolderIcons: %1 failed for %2: %3").arg(what, folder, reason));
}

// The folder's absolute path when it is a real directory (not a symbolic link); else logs why not.
QString absoluteFolderPath(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

Result<QString> acceptedFolder(const QString& path, const char* operation)
{
    const QString folder = absoluteFolderPath(path);
    struct stat info {};
    QString reason;
    if (lstat(encodeLocalPath(folder).constData(), &info) != 0)
        reason = QString::fromUtf8(std::strerror(errno));
    else if (S_ISLNK(info.st_mode))
        reason = QStringLiteral("it is a symbolic link");
    else if (!S_ISDIR(info.st_mode))
        reason = QStringLiteral("it is not a folder");
    if (reason.isEmpty())
        return folder;
    logFailure(QLatin1String(operation), folder, reason);
    return Result<QString>::failure(reason);
}

// Sets the folder's times to their own values: the change of its status time is what makes open file-manager
// windows reload the folder's icon. A failure only costs the refresh (said unless `quietly`).
void nudge(const QString& folder, bool quietly = false)
{
    const QByteArray path = encodeLocalPath(folder);
    struct stat info {};
    const timespec* times = nullptr;
    timespec own[2];
    if (stat(path.constData(), &info) == 0) {
        own[0] = info.st_atim;
        own[1] = info.st_mtim;
        times = own;
    }
    if ((!times || utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW) != 0) && !quietly)
        logFailure(QStringLiteral("refresh"), folder, QString::fromUtf8(std::strerror(errno)));
}

// Decoded icons of the store. Its files are named by their content, so an entry never goes stale; a set puts
// its own image in, so the apply animation reads a fresh icon without decoding it.
class StoredImages {
public:
    std::optional<QImage> find(const QString& path)
    {
        const MutexLock lock(mutex_);
        const QImage* image = cache_.object(path);
        return image ? std::optional<QImage>(*image) : std::nullopt;
    }
    void insert(const QString& path, const QImage& image)
    {
        const MutexLock lock(mutex_);
        cache_.insert(path, new QImage(image), qsizetype(std::max<qsizetype>(1, image.sizeInBytes() / 1024)));
    }

private:
    Mutex mutex_;
    QCache<QString, QImage> cache_ PIGMO_GUARDED_BY(mutex_){16 * 1024}; // in KiB: sixteen 512 x 512 icons
};

StoredImages& storedImages()
{
    static StoredImages images;
    return images;
}

QImage loadImage(const QString& path)
{
    if (path.isEmpty())
        return {};
    const bool stored = path.startsWith(FolderIconStore::directory() + u'/');
    if (stored) {
        if (std::optional<QImage> image = storedImages().find(path))
            return *image;
    }
    QImageReader reader(path);
    if (reader.format() == "svg")
        reader.setScaledSize(QSize(256, 256));
    QImage image = reader.read();
    if (stored && !image.isNull())
        storedImages().insert(path, image);
    return image;
}

// The file named by a .directory Icon= value: an absolute path, "./name" beside the folder, or a theme icon.
QString directoryIconFile(const QString& folder, const QString& value)
{
    if (value.startsWith(u'/'))
        return value;
    if (value.startsWith(QLatin1String("./")))
        return folder + value.mid(1);
    return value.isEmpty() ? QString() : IconTheme::iconPath(value);
}

const QImage& fallbackIcon()
{
    static const QImage image = [] {
        QImage themed = loadImage(IconTheme::iconPath(QStringLiteral("folder")));
        return themed.isNull() ? loadImage(BundleResources::path(QStringLiteral("images/folder-blue.png"))) : themed;
    }();
    return image;
}

QString uriOf(const QString& file)
{
    return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
}

QString fileOfUri(const QString& uri)
{
    return QUrl(uri).toLocalFile();
}

// Without the metadata service no file manager reads the key in this session: said once, not per folder.
bool gvfsAvailable()
{
    const QString reason = GvfsMetadata::unavailableReason();
    if (reason.isEmpty())
        return true;
    static std::once_flag said;
    std::call_once(said, [&reason] {
        log::warning(QStringLiteral("FolderIcons: folder icons are set in .directory files only: %1").arg(reason));
    });
    return false;
}

FolderIconEntries readEntries(const QString& folder)
{
    return {gvfsAvailable() ? GvfsMetadata::customIcon(folder) : QString(), DirectoryFile::icon(folder)};
}

// The files the folder's icon entries point at; the folder's other stored files are no longer needed. A file
// still named by an entry that could not be changed (a read-only .directory) is kept, so no file manager
// ever points at a deleted file.
QStringList referencedFiles(const FolderIconEntries& entries)
{
    return {fileOfUri(entries.gvfs), entries.directory};
}

QStringList referencedFiles(const QString& folder)
{
    return referencedFiles(readEntries(folder));
}

Result<void> setGvfsEntry(const QString& folder, const QString& uri)
{
    return uri.isEmpty() ? GvfsMetadata::unsetCustomIcon(folder) : GvfsMetadata::setCustomIcon(folder, uri);
}

Result<void> setDirectoryEntry(const QString& folder, const QString& icon)
{
    return icon.isEmpty() ? DirectoryFile::removeIcon(folder) : DirectoryFile::setIcon(folder, icon);
}

// Points the places that differ from `entries` at them again; true when every place now names them.
bool putBack(const QString& folder, const FolderIconEntries& entries)
{
    const FolderIconEntries now = readEntries(folder);
    bool all = true;
    if (gvfsAvailable() && now.gvfs != entries.gvfs) {
        if (const Result<void> put = setGvfsEntry(folder, entries.gvfs); !put) {
            logFailure(QStringLiteral("putting the gvfs metadata back"), folder, put.error());
            all = false;
        }
    }
    if (now.directory != entries.directory) {
        if (const Result<void> put = setDirectoryEntry(folder, entries.directory); !put) {
            logFailure(QStringLiteral("putting .directory back"), folder, put.error());
            all = false;
        }
    }
    return all;
}

} // namespace

struct FolderIcons::Change::State {
    std::unique_lock<std::mutex> lock;
    QString folder;
    QImage image;
    QByteArray png;
    QString stored;
    FolderIconEntries previous;
    QString missing;
    bool settled = false; // committed or taken back
};

FolderIcons::Change::Change(std::unique_ptr<State> state)
    : state_(std::move(state))
{
}

FolderIcons::Change::Change(Change&&) noexcept = default;
FolderIcons::Change& FolderIcons::Change::operator=(Change&&) noexcept = default;

FolderIcons::Change::~Change()
{
    if (state_)
        undo();
}

const QString& FolderIcons::Change::folder() const
{
    return state_->folder;
}

const QString& FolderIcons::Change::storedFile() const
{
    return state_->stored;
}

const FolderIconEntries& FolderIcons::Change::previous() const
{
    return state_->previous;
}

const QString& FolderIcons::Change::missing() const
{
    return state_->missing;
}

Result<void> FolderIcons::Change::apply()
{
    State& state = *state_;
    const QString& folder = state.folder;
    if (const Result<QString> stored = FolderIconStore::store(folder, state.png); !stored) {
        logFailure(QStringLiteral("storing the icon"), folder, stored.error());
        undo();
        return Result<void>::failure(stored.error());
    }
    storedImages().insert(state.stored, state.image);
    const bool gvfsHere = gvfsAvailable();
    // The .directory file is written while the metadata service answers: both only name the synced file.
    std::future<Result<void>> writingDirectory =
        std::async(std::launch::async, [&state] { return DirectoryFile::setIcon(state.folder, state.stored); });
    const Result<void> gvfs =
        gvfsHere ? GvfsMetadata::setCustomIcon(folder, uriOf(state.stored)) : Result<void>::success();
    const Result<void> directory = writingDirectory.get();
    if (!gvfs)
        logFailure(QStringLiteral("gvfs metadata"), folder, gvfs.error());
    if (!directory)
        logFailure(QStringLiteral(".directory"), folder, directory.error());
    if (gvfs && directory) {
        state.missing = gvfsHere ? QString() : GvfsMetadata::unavailableReason();
        return Result<void>::success();
    }
    undo();
    return Result<void>::failure(directory ? gvfs.error() : directory.error());
}

void FolderIcons::Change::commit()
{
    State& state = *state_;
    if (state.settled)
        return;
    state.settled = true;
    // Every place names the new file (a place this session lacks cannot be read, and names nothing here).
    FolderIconStore::removeFilesExcept(state.folder, {state.stored});
    nudge(state.folder);
    state.lock.unlock();
}

void FolderIcons::Change::undo()
{
    State& state = *state_;
    if (state.settled)
        return;
    state.settled = true;
    const bool changed = readEntries(state.folder) != state.previous;
    putBack(state.folder, state.previous);
    FolderIconStore::removeFilesExcept(state.folder, referencedFiles(state.folder));
    if (changed)
        nudge(state.folder, true); // a folder that refused a write mostly refuses this too
    state.lock.unlock();
}

Result<FolderIcons::Change> FolderIcons::change(const QImage& image, const QByteArray& png, const QString& folderPath)
{
    const Result<QString> folder = acceptedFolder(folderPath, "setting the icon");
    if (!folder)
        return Result<Change>::failure(folder.error());
    if (png.isEmpty()) {
        logFailure(QStringLiteral("encoding the icon"), *folder, QStringLiteral("the image cannot be written as PNG"));
        return Result<Change>::failure(QStringLiteral("its icon cannot be written as PNG"));
    }
    auto state = std::make_unique<Change::State>();
    state->lock = std::unique_lock(changeMutex());
    state->folder = *folder;
    state->previous = readEntries(*folder);
    state->image = image;
    state->png = png;
    state->stored = FolderIconStore::filePath(*folder, png);
    return Change(std::move(state));
}

Result<void> FolderIcons::setIcon(const QImage& image, const QString& folderPath)
{
    return setIcon(image, image.isNull() ? QByteArray() : encodePng(image), folderPath);
}

Result<void> FolderIcons::setIcon(const QImage& image, const QByteArray& png, const QString& folderPath)
{
    if (image.isNull()) {
        return removeIcon(folderPath) ? Result<void>::success()
                                      : Result<void>::failure(QStringLiteral("its icon could not be removed"));
    }
    Result<Change> change = FolderIcons::change(image, png, folderPath);
    if (!change)
        return Result<void>::failure(change.error());
    Change made = std::move(change).value();
    const Result<void> applied = made.apply();
    if (applied)
        made.commit();
    return applied;
}

Result<void> FolderIcons::restore(const QString& folderPath, const FolderIconEntries& entries)
{
    const Result<QString> folder = acceptedFolder(folderPath, "restoring the icon");
    if (!folder)
        return Result<void>::failure(folder.error());
    std::lock_guard lock(changeMutex());
    const bool changed = readEntries(*folder) != entries;
    const bool all = putBack(*folder, entries);
    FolderIconStore::removeFilesExcept(*folder, referencedFiles(*folder));
    if (changed)
        nudge(*folder);
    return all ? Result<void>::success() : Result<void>::failure(QStringLiteral("its icon could not be put back"));
}

bool FolderIcons::shows(const QString& folderPath, const QString& storedFile)
{
    const FolderIconEntries now = entries(folderPath);
    return now.directory == storedFile && (!gvfsAvailable() || now.gvfs == uriOf(storedFile)) &&
           QFileInfo(storedFile).isFile();
}

FolderIconEntries FolderIcons::entries(const QString& folderPath)
{
    return readEntries(absoluteFolderPath(folderPath));
}

bool FolderIcons::removeIcon(const QString& folderPath)
{
    const Result<QString> folder = acceptedFolder(folderPath, "removing the icon");
    if (!folder)
        return false;
    std::lock_guard lock(changeMutex());
    const Result<void> gvfs = GvfsMetadata::unsetCustomIcon(*folder);
    if (!gvfs)
        logFailure(QStringLiteral("gvfs metadata"), *folder, gvfs.error());
    const Result<void> directory = DirectoryFile::removeIcon(*folder);
    if (!directory)
        logFailure(QStringLiteral(".directory"), *folder, directory.error());
    FolderIconStore::removeFilesExcept(*folder, referencedFiles(*folder));
    const bool removed = gvfs || directory;
    if (removed)
        nudge(*folder);
    return removed;
}

void FolderIcons::discardUnusedIcons(const QString& folderPath)
{
    const QString folder = absoluteFolderPath(folderPath);
    std::lock_guard lock(changeMutex());
    FolderIconStore::removeFilesExcept(folder, referencedFiles(folder));
}

void FolderIcons::prepare(const QString& folderPath)
{
    GvfsMetadata::prepare(folderPath);
}

QImage FolderIcons::icon(const QString& folderPath)
{
    const QString folder = QDir::cleanPath(QDir(folderPath).absolutePath());
    const QUrl custom(GvfsMetadata::customIcon(folder));
    if (custom.isLocalFile()) {
        if (QImage image = loadImage(custom.toLocalFile()); !image.isNull())
            return image;
    }
    if (QImage image = loadImage(directoryIconFile(folder, DirectoryFile::icon(folder))); !image.isNull())
        return image;
    return fallbackIcon();
}

} // namespace pigmo
