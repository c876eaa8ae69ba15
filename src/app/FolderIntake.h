#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace pigmo {

struct HandOver;

// Turning what reaches the program from outside (the file manager's hand-over, command-line arguments)
// into folder URLs. Only existing local directories are ever kept.
namespace FolderIntake {

// The handed-over folders: the array's entries, in order, then the container's visible subfolders (one
// level, in name order). Strings that make no URL, and URLs that are not existing local directories,
// are dropped.
QList<QUrl> folders(const HandOver& handOver);

// The visible (not hidden) subdirectories of a local directory, in name order; empty when it cannot be
// listed.
QList<QUrl> visibleSubfolders(const QUrl& container);

// The URLs, in order, that name existing local directories (a symbolic link to a directory counts).
QList<QUrl> existingDirectories(const QList<QUrl>& urls);

// A command-line argument as a folder URL: a "file:" URI, or a path resolved against `workingDirectory`.
// Nothing for other URI schemes and for text that makes no URL.
std::optional<QUrl> argumentURL(const QString& argument, const QString& workingDirectory);

} // namespace FolderIntake
} // namespace pigmo
