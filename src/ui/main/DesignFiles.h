#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace pigmo {

// One rendered design to write as a PNG file.
struct Design {
    QUrl folder;  // the folder the design was made for
    QImage image; // null when the folder has no rendered preview
};

// What a batch save did: the files really written and the folders that were not.
struct BatchSaveResult {
    QStringList written;       // absolute paths, in design order
    QList<QUrl> failedFolders; // no image, no PNG data, or a refused write
    int total = 0;

    bool allSucceeded() const { return failedFolders.isEmpty(); }
};

// The file names and writes of saved designs. Plain file work, no widgets; any thread.
class DesignFiles {
public:
    DesignFiles() = delete;

    // "<folder name without its extension>_icon.png" ("v1.2" gives "v1_icon.png").
    static QString fileName(const QUrl& folder);
    // The names of a batch, in order, unique among themselves: a name taken by an earlier design of the batch
    // gets " (2)", " (3)"... before "_icon.png".
    static QStringList uniqueFileNames(const QList<QUrl>& folders);
    // The names of `names` that already exist in `directory`.
    static QStringList existingIn(const QString& directory, const QStringList& names);

    // Writes `image` as PNG to `path`, replacing a file there; false (and the reason in `error`) when the
    // image is null, cannot be encoded or the file cannot be written. A failed write leaves no partial file.
    static bool write(const QImage& image, const QString& path, QString* error = nullptr);
    // Writes every design into `directory` under its unique name; logs each file as it goes.
    static BatchSaveResult writeAll(const QList<Design>& designs, const QString& directory);
};

} // namespace pigmo
