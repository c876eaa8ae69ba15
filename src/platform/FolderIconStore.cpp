#include "platform/FolderIconStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <dirent.h>
#include <memory>
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
    return shortHash(QDir::cleanPath(folderPath).toUtf8()) + u'-';
}

// The names in `directory` that begin with `prefix` and end in ".png" (both compared without regard to case)
// and name a regular file, or a symbolic link to one. One pass over the directory's entries without any
// per-entry allocation for the others: the store holds a file per styled folder, so this runs over
// thousands of names for every change.
QStringList namesWithPrefix(const QString& directory, const QString& prefix)
{
    const QByteArray path = QFile::encodeName(directory);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(path.constData()), &closedir);
    if (!dir)
        return {};
    const QByteArray start = prefix.toUtf8();
    QStringList names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name.size() < size_t(start.size()) + 4 || qstrnicmp(name.data(), start.constData(), start.size()) != 0 ||
            qstrnicmp(name.data() + name.size() - 4, ".png", 4) != 0)
            continue;
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            regular = fstatat(dirfd(dir.get()), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (regular)
            names.append(QFile::decodeName(entry->d_name));
    }
    return names;
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
    const QString path = dir + u'/' + fileName(folderPath, png);
    if (QFileInfo(path).size() == png.size() && QFileInfo(path).isFile())
        return path; // the name holds the content's hash
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
        return Result<QString>::failure(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return path;
}

void FolderIconStore::removeFilesExcept(const QString& folderPath, const QStringList& keep)
{
    const QString dir = directory();
    for (const QString& name : namesWithPrefix(dir, prefixOf(folderPath))) {
        const QString path = dir + u'/' + name;
        if (!keep.contains(path))
            QFile::remove(path);
    }
}

} // namespace pigmo
