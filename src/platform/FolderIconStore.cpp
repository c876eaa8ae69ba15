#include "platform/FolderIconStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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
    const QDir dir(directory());
    const QStringList names = dir.entryList({prefixOf(folderPath) + QStringLiteral("*.png")}, QDir::Files);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        if (!keep.contains(path))
            QFile::remove(path);
    }
}

} // namespace pigmo
