#include "app/FolderIntake.h"

#include "platform/AppGroupStore.h"

namespace pigmo::FolderIntake {

QList<Folder> folders(const HandOver& handOver)
{
    QList<Folder> result;
    if (handOver.folderURLs) {
        for (const QString& text : *handOver.folderURLs) {
            if (std::optional<Folder> folder = Folder::fromHandOverEntry(text))
                result.append(*folder);
        }
    }
    if (handOver.containerURL) {
        if (std::optional<Folder> container = Folder::fromHandOverEntry(*handOver.containerURL))
            result.append(container->visibleSubfolders());
    }
    return result;
}

} // namespace pigmo::FolderIntake
