#pragma once

#include "base/Result.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace pigmo {

// The folders a file-manager module handed over to the program, as the module wrote them (URL strings).
struct HandOver {
    std::optional<QStringList> folderURLs; // "sharedFolderURLsToOpen"
    std::optional<QString> containerURL;   // "sharedContainerURLToOpen"

    bool isEmpty() const { return !folderURLs && !containerURL; }
};

// The program's side of the app-group preferences "group.io.velmar.pigmo2" (see app_group_store.h for the
// file, its locking and atomic replacement). Thread-safe and process-safe.
class AppGroupStore {
public:
    static QString filePath();
    static bool setFolderURLs(const QStringList& urls); // logs and returns false on failure
    static bool setContainerURL(const QString& url);    // logs and returns false on failure
    // Reads and removes both entries in one locked step. On failure (logged) the entries stay in place.
    static Result<HandOver> take();
};

} // namespace pigmo
