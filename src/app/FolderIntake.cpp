#include "app/FolderIntake.h"

#include "platform/AppGroupStore.h"

#include <QDir>
#include <QFileInfo>

namespace pigmo::FolderIntake {
namespace {

bool isExistingDirectory(const QUrl& url)
{
    return url.isValid() && url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir();
}

std::optional<QUrl> handedOverURL(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    return url;
}

} // namespace

QList<QUrl> folders(const HandOver& handOver)
{
    QList<QUrl> result;
    if (handOver.folderURLs) {
        for (const QString& text : *handOver.folderURLs) {
            if (const std::optional<QUrl> url = handedOverURL(text))
                result.append(*url);
        }
    }
    if (handOver.containerURL) {
        if (const std::optional<QUrl> container = handedOverURL(*handOver.containerURL))
            result.append(visibleSubfolders(*container));
    }
    return existingDirectories(result);
}

QList<QUrl> visibleSubfolders(const QUrl& container)
{
    QList<QUrl> result;
    if (!isExistingDirectory(container))
        return result;
    const QDir directory(container.toLocalFile());
    const QFileInfoList entries = directory.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries)
        result.append(QUrl::fromLocalFile(entry.absoluteFilePath()));
    return result;
}

QList<QUrl> existingDirectories(const QList<QUrl>& urls)
{
    QList<QUrl> result;
    for (const QUrl& url : urls) {
        if (isExistingDirectory(url))
            result.append(url);
    }
    return result;
}

std::optional<QUrl> argumentURL(const QString& argument, const QString& workingDirectory)
{
    if (argument.isEmpty())
        return std::nullopt;
    if (argument.startsWith(u'/'))
        return QUrl::fromLocalFile(QDir::cleanPath(argument));
    const QUrl asURL(argument, QUrl::StrictMode);
    if (asURL.isValid() && !asURL.scheme().isEmpty() && asURL.scheme().size() > 1) {
        if (!asURL.isLocalFile())
            return std::nullopt;
        return QUrl::fromLocalFile(QDir::cleanPath(asURL.toLocalFile()));
    }
    return QUrl::fromLocalFile(QDir::cleanPath(QDir(workingDirectory).absoluteFilePath(argument)));
}

} // namespace pigmo::FolderIntake
