#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pigmo {

// The PNG files behind folder icons, under $XDG_DATA_HOME/io.velmar.pigmo2/icons/. A file is named
// "<folder path hash>-<content hash>.png": a new image gets a new name (file managers cache icons by path,
// so a reused name would show a stale icon), and all files of one folder share a prefix. The directory is
// listed once and then followed through this process's own changes (listed again when anyone else changed
// it), so a change costs the same however many folders have icons. Thread-safe.
class FolderIconStore {
public:
    static QString directory();
    static QString fileName(const QString& folderPath, const QByteArray& png);
    // Where `store` puts the PNG.
    static QString filePath(const QString& folderPath, const QByteArray& png);
    // Writes the PNG for the folder (atomically; kept as is when an identical file exists) and gives its path.
    static Result<QString> store(const QString& folderPath, const QByteArray& png);
    // Deletes the folder's files except those named in `keep` (paths as store() gives them).
    static void removeFilesExcept(const QString& folderPath, const QStringList& keep);
};

} // namespace pigmo
