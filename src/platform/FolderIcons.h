#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>

namespace pigmo {

// The two places a folder's icon is named in: the gvfs key "metadata::custom-icon" (a file:// URI; Nautilus,
// Nemo, Caja) and the "Icon=" entry of the folder's .directory (Dolphin, PCManFM-Qt). Empty when absent.
struct FolderIconEntries {
    QString gvfs;
    QString directory;

    friend bool operator==(const FolderIconEntries&, const FolderIconEntries&) = default;
};

// A folder's custom icon as the Linux file managers show it. Setting stores the image as a PNG in
// FolderIconStore, points both places at it, deletes the folder's previous PNG and touches the folder's
// times with their own values so that open windows refresh. Removing undoes all of it.
//
// A set takes effect in every place or in none: when one place refuses, the other is put back as it was and
// the new PNG deleted. The one exception is a place this session lacks as a whole (the gvfs key without a
// session bus, see `GvfsMetadata::unavailableReason`): the icon is then set in the other place, and the set
// says what is missing. A missing folder, a symbolic link or anything that is not a directory is refused and
// left untouched. Thread-safe (callers run it on the icon queue); only QImage is used, never QPixmap.
class FolderIcons {
public:
    // One set of a folder's icon, made in steps so that the caller can write what goes with it (the
    // folder's attribute) and have the icon taken back when that fails. Other changes of any folder's icon
    // wait until it is committed or taken back. Taken back when destroyed uncommitted.
    class Change {
    public:
        Change(Change&&) noexcept;
        Change& operator=(Change&&) noexcept;
        ~Change();

        const QString& folder() const;
        // The PNG the places are to name (stored by `apply`).
        const QString& storedFile() const;
        // The entries as they were before.
        const FolderIconEntries& previous() const;
        // Stores the PNG and points every place at it. On failure every place is as it was before, the PNG
        // is gone, and the error says which place refused and why.
        Result<void> apply();
        // After `apply`: why a place this session lacks does not name the icon ("no session bus"), or empty.
        const QString& missing() const;
        // Keeps the change: deletes the folder's files no entry names any more and refreshes open windows.
        void commit();
        // Puts the entries back as they were and deletes the new PNG unless an entry names it.
        void undo();

    private:
        friend class FolderIcons;
        struct State;
        explicit Change(std::unique_ptr<State> state);
        std::unique_ptr<State> state_;
    };

    // Starts a set: the folder checked, its entries read, the PNG's place named. Nothing is written yet.
    static Result<Change> change(const QImage& image, const QByteArray& png, const QString& folderPath);
    // A whole set, committed when it took; a null image removes the folder's custom icon.
    static Result<void> setIcon(const QImage& image, const QString& folderPath);
    static Result<void> setIcon(const QImage& image, const QByteArray& png, const QString& folderPath);
    // Succeeds when at least one place no longer names a custom icon; each failure is logged.
    static bool removeIcon(const QString& folderPath);
    // Points both places at `entries` again (an empty entry is removed; the gvfs key only where the session
    // has it) and deletes the folder's stored files they do not name. Used to take back a set that a killed
    // process left unfinished.
    static Result<void> restore(const QString& folderPath, const FolderIconEntries& entries);
    // Whether every place this session has names `storedFile`, and the file is there.
    static bool shows(const QString& folderPath, const QString& storedFile);
    // The folder's entries as they are now (the gvfs key empty when this session lacks it).
    static FolderIconEntries entries(const QString& folderPath);
    // Deletes the folder's files in FolderIconStore that neither place names: the PNGs stored ahead of a
    // change that was then not made.
    static void discardUnusedIcons(const QString& folderPath);

    // The icon a file manager shows for the folder: the gvfs key's image, else the .directory icon, else the
    // icon theme's "folder", else the bundled "folder-blue" artwork; a null image when none can be loaded.
    static QImage icon(const QString& folderPath);

    // Makes ready what the first change needs (GIO's modules and the session bus connection of the metadata
    // service), so that a caller can do it while it waits for something else. Nothing is changed on disk.
    static void prepare(const QString& folderPath);
};

} // namespace pigmo
