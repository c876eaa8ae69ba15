#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pigmo {

// A folder's custom icon as the Linux file managers show it. Setting stores the image as a PNG in
// FolderIconStore, points the gvfs key "metadata::custom-icon" at it (Nautilus, Nemo, Caja), merges
// "Icon=<path>" into the folder's .directory (Dolphin, PCManFM-Qt), deletes the folder's previous PNG and
// touches the folder's times with their own values so that open windows refresh. Removing undoes all of it.
//
// Both operations succeed when at least one of the two mechanisms took effect; every mechanism that failed
// is logged with its reason. A missing folder, a symbolic link or anything that is not a directory is refused
// and left untouched. Thread-safe (callers run it on the icon queue); only QImage is used, never QPixmap.
class FolderIcons {
public:
    // A null image removes the folder's custom icon.
    static bool setIcon(const QImage& image, const QString& folderPath);
    // As above with the image already encoded by `encodePng`, so that a caller can encode off its writing thread.
    static bool setIcon(const QImage& image, const QByteArray& png, const QString& folderPath);
    static bool removeIcon(const QString& folderPath);
    // Deletes the folder's files in FolderIconStore that neither mechanism names: the PNGs stored ahead of a
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
