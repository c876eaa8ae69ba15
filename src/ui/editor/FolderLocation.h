#pragma once

#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <optional>

namespace pigmo {

// Where the edited folders live, worked out from their paths: the folder holding all of them and the text of
// the preview column's location line. Pure functions of their arguments.
class FolderLocation {
public:
    // " › ": the separator between the folder names of a location text.
    static inline const QString separator = QStringLiteral(" \u203A ");

    // A path with its "." and ".." components resolved and no trailing slash (symbolic links are kept).
    static QString standardized(const QString& path);
    // The folder holding a folder: the standardized path without its last component ("/" for the root).
    static QString parentOf(const QString& folderPath);
    // The one folder holding every folder of the list; nothing for an empty list or folders of different
    // parents.
    static std::optional<QString> commonParent(const QStringList& folderPaths);
    // The path with the home folder shown as "~": only when the path is the home folder itself or lies below
    // it (the home folder followed by "/"), so that with the home folder /home/bob, /home/bobby stays whole.
    static QString abbreviatingHome(const QString& path, const QString& homePath);
    // The location line: nothing for no folders, `multipleLocations` for folders of different parents, else
    // the common parent (home shown as "~") as its folder names joined by `separator`; the root gives "".
    static std::optional<QString> text(const QStringList& folderPaths, const QString& homePath,
                                       const QString& multipleLocations);
    // The visible subfolders of `parent` (hidden entries and symbolic links skipped) whose standardized paths
    // are not in `excluded`, sorted by name case-insensitively in the user's locale (ties keep the listing
    // order). Empty when the folder cannot be listed. Reads the disk: call it off the GUI thread.
    static QStringList listSiblings(const QString& parent, const QSet<QString>& excluded);
};

// The sibling folders of the edited folders, listed on a worker thread and published on the GUI thread.
// `update` lists the parent again when it differs from the last one (or `force` is set); the excluded folders
// are applied to the published list at once, so an added folder leaves it without a new listing. A slow or
// vanished parent never blocks the caller: its result, if it ever comes, is dropped when a newer listing was
// asked for. GUI thread only.
class SiblingFolders : public QObject {
    Q_OBJECT

public:
    // `listings`: the I/O pool, which may hang on a slow or vanished parent.
    explicit SiblingFolders(QThreadPool& listings, QObject* parent = nullptr);
    ~SiblingFolders() override;

    void update(const std::optional<QString>& parent, const QSet<QString>& excluded, bool force = false);
    // The published siblings: sorted by name, without the excluded folders.
    QStringList folders() const;
    bool isListing() const { return watcher_ != nullptr; }

Q_SIGNALS:
    // The published list changed.
    void changed();

private:
    void startListing();

    QThreadPool& listings_;
    std::optional<QString> parent_;
    QSet<QString> excluded_;
    QStringList listed_; // the last listing of `parent_`, before the exclusion
    QFutureWatcher<QStringList>* watcher_ = nullptr;
};

} // namespace pigmo
