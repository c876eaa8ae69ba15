#pragma once

#include "base/Result.h"

#include <QString>

namespace pigmo {

// The "Icon" entry of a folder's ".directory" file, group [Desktop Entry] (read by Dolphin and PCManFM-Qt).
// Edits keep every other key, group, comment and translation of the file and replace it atomically; a file
// that is not a regular file or cannot be parsed is never overwritten. Thread-safe.
class DirectoryFile {
public:
    static QString filePath(const QString& folder);
    // Sets Icon= to the given value (an absolute path).
    static Result<void> setIcon(const QString& folder, const QString& icon);
    // Removes Icon=; a file left without entries is deleted. Succeeds when there was nothing to remove.
    static Result<void> removeIcon(const QString& folder);
    // The Icon= value, or an empty string.
    static QString icon(const QString& folder);
};

} // namespace pigmo
