#pragma once

#include "base/Folder.h"

#include <QList>

namespace pigmo {

struct HandOver;

// Turning the file manager's hand-over into folders. Only existing local directories are ever kept.
namespace FolderIntake {

// The handed-over folders: the array's entries, in order, then the container's visible subfolders (one
// level, in name order, symbolic links skipped). Entries that name no existing local directory are dropped.
QList<Folder> folders(const HandOver& handOver);

} // namespace FolderIntake
} // namespace pigmo
