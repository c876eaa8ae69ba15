#include "platform/FolderIcons.h"

#include "base/Log.h"
#include "platform/DirectoryFile.h"
#include "platform/FolderIconStore.h"
#include "platform/GvfsMetadata.h"
#include "platform/IconTheme.h"
#include "platform/PngEncoder.h"
#include "storage/BundleResources.h"

#include <QBuffer>
#include <QCache>
#include <QDir>
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

std::optional<QString> acceptedFolder(const QString& path, const char* operation)
{
    const QString folder = absoluteFolderPath(path);
    struct stat info {};
    QString reason;
    if (lstat(QFile::encodeName(folder).constData(), &info) != 0)
        reason = QString::fromUtf8(std::strerror(errno));
    else if (S_ISLNK(info.st_mode))
        reason = QStringLiteral("it is a symbolic link");
    else if (!S_ISDIR(info.st_mode))
        reason = QStringLiteral("it is not a folder");
    if (reason.isEmpty())
        return folder;
    logFailure(QLatin1String(operation), folder, reason);
    return std::nullopt;
}

// Sets the folder's times to their own values: the change of its status time is what makes open file-manager
// windows reload the folder's icon. A failure only costs the refresh.
void nudge(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    const timespec* times = nullptr;
    timespec own[2];
    if (stat(path.constData(), &info) == 0) {
        own[0] = info.st_atim;
        own[1] = info.st_mtim;
        times = own;
    }
    if (!times || utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW) != 0)
        logFailure(QStringLiteral("refresh"), folder, QString::fromUtf8(std::strerror(errno)));
}

// Decoded icons of the store. Its files are named by their content, so an entry never goes stale; a set puts
// its own image in, so the apply animation reads a fresh icon without decoding it.
class StoredImages {
public:
    std::optional<QImage> find(const QString& path)
    {
        std::lock_guard lock(mutex_);
        const QImage* image = cache_.object(path);
        return image ? std::optional<QImage>(*image) : std::nullopt;
    }
    void insert(const QString& path, const QImage& image)
    {
        std::lock_guard lock(mutex_);
        cache_.insert(path, new QImage(image), qsizetype(std::max<qsizetype>(1, image.sizeInBytes() / 1024)));
    }

private:
    std::mutex mutex_;
    QCache<QString, QImage> cache_{16 * 1024}; // in KiB: sixteen 512 x 512 icons
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

// The files the folder's icon entries point at; the folder's other stored files are no longer needed. A file
// still named by an entry that could not be changed (a read-only .directory) is kept, so no file manager
// ever points at a deleted file.
QStringList referencedFiles(const QString& folder)
{
    return {QUrl(GvfsMetadata::customIcon(folder)).toLocalFile(), DirectoryFile::icon(folder)};
}

bool applyIcon(const QImage& image, const QByteArray& png, const QString& folder)
{
    if (png.isEmpty()) {
        logFailure(QStringLiteral("encoding the icon"), folder, QStringLiteral("the image cannot be written as PNG"));
        return false;
    }
    const Result<QString> stored = FolderIconStore::store(folder, png);
    if (!stored) {
        logFailure(QStringLiteral("storing the icon"), folder, stored.error());
        return false;
    }
    storedImages().insert(*stored, image);
    // The .directory file is written while the metadata service answers: both only name the synced file.
    std::future<Result<void>> writingDirectory =
        std::async(std::launch::async, [&folder, &stored] { return DirectoryFile::setIcon(folder, *stored); });
    const Result<void> gvfs =
        GvfsMetadata::setCustomIcon(folder, QUrl::fromLocalFile(*stored).toString(QUrl::FullyEncoded));
    if (!gvfs)
        logFailure(QStringLiteral("gvfs metadata"), folder, gvfs.error());
    const Result<void> directory = writingDirectory.get();
    if (!directory)
        logFailure(QStringLiteral(".directory"), folder, directory.error());
    const bool applied = gvfs || directory;
    // An entry that was set names the new file; only one that could not be set is read back.
    const QStringList referenced{gvfs ? *stored : QUrl(GvfsMetadata::customIcon(folder)).toLocalFile(),
                                 directory ? *stored : DirectoryFile::icon(folder)};
    FolderIconStore::removeFilesExcept(folder, referenced);
    if (applied)
        nudge(folder);
    return applied;
}

} // namespace

bool FolderIcons::setIcon(const QImage& image, const QString& folderPath)
{
    return setIcon(image, encodePng(image), folderPath);
}

bool FolderIcons::setIcon(const QImage& image, const QByteArray& png, const QString& folderPath)
{
    if (image.isNull())
        return removeIcon(folderPath);
    const std::optional<QString> folder = acceptedFolder(folderPath, "setting the icon");
    if (!folder)
        return false;
    std::lock_guard lock(changeMutex());
    return applyIcon(image, png, *folder);
}

bool FolderIcons::removeIcon(const QString& folderPath)
{
    const std::optional<QString> folder = acceptedFolder(folderPath, "removing the icon");
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
