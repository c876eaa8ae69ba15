#include "base/Folder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace pigmo {
namespace {

// "scheme:" with a scheme of at least two characters, so that nothing of a relative path is taken for one.
bool looksLikeUri(const QString& argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return !argument.startsWith(u'/') && scheme.match(argument).hasMatch();
}

} // namespace

std::optional<Folder> Folder::fromPath(const QString& path)
{
    // Only a file system path: Qt also calls ":name" (one of its resource paths) absolute.
    if (!path.startsWith(u'/'))
        return std::nullopt;
    const QString cleaned = QDir::cleanPath(path);
    const QFileInfo info(cleaned);
    if (!info.isDir()) // follows links: a link to a directory passes
        return std::nullopt;
    if (!info.isSymLink())
        return Folder(cleaned);
    const QString target = info.canonicalFilePath();
    if (target.isEmpty())
        return std::nullopt;
    return Folder(target);
}

std::optional<Folder> Folder::fromScan(const QString& path)
{
    if (!path.startsWith(u'/'))
        return std::nullopt;
    const QString cleaned = QDir::cleanPath(path);
    const QFileInfo info(cleaned);
    if (info.isSymLink() || !info.isDir())
        return std::nullopt;
    return Folder(cleaned);
}

std::optional<Folder> Folder::fromUrl(const QUrl& url)
{
    if (!url.isValid() || !url.isLocalFile())
        return std::nullopt;
    return fromPath(url.toLocalFile());
}

std::optional<Folder> Folder::fromHandOverEntry(const QString& text)
{
    const QUrl url(text);
    if (url.isEmpty())
        return std::nullopt;
    return fromUrl(url);
}

std::optional<Folder> Folder::fromArgument(const QString& argument, const QString& workingDirectory)
{
    if (argument.isEmpty())
        return std::nullopt;
    if (looksLikeUri(argument))
        return fromUrl(QUrl(argument));
    // Joined by hand: QDir takes an argument such as ":name" for a resource path and leaves it as it is.
    return fromPath(argument.startsWith(u'/') ? argument : workingDirectory + u'/' + argument);
}

Folder Folder::unchecked(const QString& absolutePath)
{
    return Folder(QDir::cleanPath(absolutePath));
}

QString Folder::name() const
{
    if (path_ == QStringLiteral("/"))
        return path_;
    return path_.section(u'/', -1);
}

QList<Folder> Folder::visibleSubfolders() const
{
    QList<Folder> result;
    const QDir directory(path_);
    const QStringList names = directory.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QString& entry : names) {
        if (std::optional<Folder> folder = fromScan(directory.filePath(entry)))
            result.append(*folder);
    }
    return result;
}

QStringList pathsOf(const QList<Folder>& folders)
{
    QStringList paths;
    paths.reserve(folders.size());
    for (const Folder& folder : folders)
        paths.append(folder.path());
    return paths;
}

bool isWithinAny(const QString& path, const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (path == folder || (path.startsWith(folder) && (folder.endsWith(u'/') || path.at(folder.size()) == u'/')))
            return true;
    }
    return false;
}

} // namespace pigmo
