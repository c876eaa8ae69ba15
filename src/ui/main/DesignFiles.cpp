#include "ui/main/DesignFiles.h"

#include "base/Log.h"
#include "base/WholeFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace pigmo {

QString DesignFiles::fileName(const QUrl& folder)
{
    return QFileInfo(folder.toLocalFile()).completeBaseName() + QStringLiteral("_icon.png");
}

QStringList DesignFiles::uniqueFileNames(const QList<QUrl>& folders)
{
    static const QString suffix = QStringLiteral("_icon.png");
    QStringList names;
    QSet<QString> taken;
    for (const QUrl& folder : folders) {
        const QString stem = fileName(folder).chopped(suffix.size());
        QString name = stem + suffix;
        for (int n = 2; taken.contains(name); ++n)
            name = stem + QStringLiteral(" (%1)").arg(n) + suffix;
        taken.insert(name);
        names.append(name);
    }
    return names;
}

QStringList DesignFiles::existingIn(const QString& directory, const QStringList& names)
{
    QStringList existing;
    const QDir dir(directory);
    for (const QString& name : names) {
        if (QFileInfo::exists(dir.filePath(name)))
            existing.append(name);
    }
    return existing;
}

bool DesignFiles::write(const QImage& image, const QString& path, QString* error)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("no PNG data");
        return false;
    }
    const Result<void> written = WholeFile::replace(path, png);
    if (!written && error)
        *error = written.error();
    return bool(written);
}

BatchSaveResult DesignFiles::writeAll(const QList<Design>& designs, const QString& directory)
{
    BatchSaveResult result;
    result.total = int(designs.size());
    QList<QUrl> folders;
    for (const Design& design : designs)
        folders.append(design.folder);
    const QStringList names = uniqueFileNames(folders);
    const QDir dir(directory);
    for (qsizetype i = 0; i < designs.size(); ++i) {
        const Design& design = designs.at(i);
        if (design.image.isNull()) {
            log::system(QStringLiteral("Skipping a model due to missing image or folderURL."));
            result.failedFolders.append(design.folder);
            continue;
        }
        const QString path = dir.filePath(names.at(i));
        QString error;
        if (!write(design.image, path, &error)) {
            log::system(QStringLiteral("Error saving image ") + names.at(i) + QStringLiteral(": ") + error);
            result.failedFolders.append(design.folder);
            continue;
        }
        log::system(QStringLiteral("Successfully saved image ") + names.at(i) + QStringLiteral(" to ") + path);
        result.written.append(path);
    }
    return result;
}

} // namespace pigmo
