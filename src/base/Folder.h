#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <optional>

namespace pigmo {

struct FolderArgument;

// A local folder: an absolute, cleaned path that named an existing directory when the value was made.
// Every folder that reaches the program from outside becomes a `Folder` through one of these factories;
// below the application shell, code takes a `Folder` (or a plain path), never a URL.
//
// Symbolic links: a link the user names (command line, drop, hand-over entry, folder dialog) is followed to
// its folder, so the value holds the path of the directory the link leads to and every later write lands on
// that directory. Links met while scanning (a container's subfolders, the watched trees, the siblings) are
// skipped: `fromScan` refuses them.
//
// Paths are text as `decodeLocalPath` makes it, so a name that is not valid UTF-8 names its folder too.
class Folder {
public:
    // What an argument of the user names on the disk: as `fromArgument`, and why it names no folder.
    static FolderArgument examineArgument(const QString& argument, const QString& workingDirectory);
    // A path named by the user, absolute or relative to `workingDirectory`; or a "file:" URI.
    static std::optional<Folder> fromArgument(const QString& argument, const QString& workingDirectory);
    // A "file:" URL named by the user (a drop, a dialog's choice).
    static std::optional<Folder> fromUrl(const QUrl& url);
    // The URLs among `urls` that name existing local directories, in order.
    static QList<Folder> fromUrls(const QList<QUrl>& urls);
    // One entry of the file manager's hand-over: the text of a "file:" URL.
    static std::optional<Folder> fromHandOverEntry(const QString& text);
    // An absolute path named by the user (a stored list of folders, a path taken from a URL).
    static std::optional<Folder> fromPath(const QString& path);
    // The local path a "file:" URL names, its bytes kept; empty for a URL of another computer or scheme.
    static QString localPathOf(const QUrl& url);
    // An absolute path met while scanning: nothing when it is a symbolic link or no directory.
    static std::optional<Folder> fromScan(const QString& path);
    // A path taken as it is, cleaned, without looking at the disk (tests, prepared scenes, a folder that
    // went away since it was named).
    static Folder unchecked(const QString& absolutePath);

    // No folder (an empty path): only for containers and queued signals that need a default value.
    Folder() = default;

    const QString& path() const { return path_; }
    // The last component of the path ("/" for the root).
    QString name() const;
    // The "file:" URL, for the widgets and the mime data that speak URLs.
    QUrl url() const { return QUrl::fromLocalFile(path_); }
    // The visible (not hidden) subfolders, in name order; symbolic links skipped. Empty when the folder
    // cannot be listed.
    QList<Folder> visibleSubfolders() const;

    friend bool operator==(const Folder&, const Folder&) = default;

private:
    explicit Folder(QString path)
        : path_(std::move(path))
    {
    }
    QString path_;
};

// What an argument of the user names on the disk.
struct FolderArgument {
    std::optional<Folder> folder; // when it names a folder
    QString path;                 // the cleaned absolute path it names (links not followed), or the argument
    // Why it names no folder that can be reached: a link to nothing or in a loop, a name missing or not
    // searchable on the way, a folder elsewhere than on this computer. Empty for a folder, and for an existing
    // file that is not a folder (no folder was named).
    QString unreachable;
};

inline size_t qHash(const Folder& folder, size_t seed = 0)
{
    return ::qHash(folder.path(), seed);
}

// The paths of the folders, in order.
QStringList pathsOf(const QList<Folder>& folders);

// Whether `path` is one of `folders` or lies below one of them, compared at a "/" boundary ("/tmp" holds
// "/tmp/a" but not "/tmpdata"). Both sides are cleaned absolute paths.
bool isWithinAny(const QString& path, const QStringList& folders);

} // namespace pigmo

Q_DECLARE_METATYPE(pigmo::Folder)
