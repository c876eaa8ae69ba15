#include "base/Folder.h"

#include "base/LocalPath.h"

#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace pigmo {
namespace {

// "scheme:" with a scheme of at least two characters, so that nothing of a relative path is taken for one.
bool looksLikeUri(const QString& argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return !argument.startsWith(u'/') && scheme.match(argument).hasMatch();
}

bool isLink(const QByteArray& path)
{
    struct stat status {};
    return ::lstat(path.constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

// The system's words for an error, as the rest of a sentence.
QString reasonOf(int error)
{
    QString text = QString::fromLocal8Bit(std::strerror(error));
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

// The folder a cleaned absolute path names: itself, or where its last component, a link, leads.
std::optional<QString> folderAt(const QString& cleaned, int* error = nullptr)
{
    const QByteArray bytes = encodeLocalPath(cleaned);
    struct stat status {};
    if (::stat(bytes.constData(), &status) != 0) { // follows links: a link to a directory passes
        if (error)
            *error = errno;
        return std::nullopt;
    }
    if (!S_ISDIR(status.st_mode))
        return std::nullopt;
    if (!isLink(bytes))
        return cleaned;
    char target[PATH_MAX];
    if (!::realpath(bytes.constData(), target)) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    return decodeLocalPath(target);
}

} // namespace

std::optional<Folder> Folder::fromPath(const QString& path)
{
    // Only a file system path: Qt also calls ":name" (one of its resource paths) absolute.
    if (!path.startsWith(u'/'))
        return std::nullopt;
    if (std::optional<QString> folder = folderAt(QDir::cleanPath(path)))
        return Folder(*folder);
    return std::nullopt;
}

std::optional<Folder> Folder::fromScan(const QString& path)
{
    if (!path.startsWith(u'/'))
        return std::nullopt;
    const QString cleaned = QDir::cleanPath(path);
    struct stat status {};
    if (::lstat(encodeLocalPath(cleaned).constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return std::nullopt;
    return Folder(cleaned);
}

QString Folder::localPathOf(const QUrl& url)
{
    if (!url.isValid() || !url.isLocalFile())
        return {};
    if (const QString host = url.host(); !host.isEmpty() && host.compare(u"localhost", Qt::CaseInsensitive) != 0)
        return {};
    // Percent-encoded bytes that are no UTF-8 stay bytes.
    return decodeLocalPath(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

std::optional<Folder> Folder::fromUrl(const QUrl& url)
{
    return fromPath(localPathOf(url));
}

QList<Folder> Folder::fromUrls(const QList<QUrl>& urls)
{
    QList<Folder> folders;
    for (const QUrl& url : urls) {
        if (std::optional<Folder> folder = fromUrl(url))
            folders.append(*folder);
    }
    return folders;
}

std::optional<Folder> Folder::fromHandOverEntry(const QString& text)
{
    const QUrl url(text);
    if (url.isEmpty())
        return std::nullopt;
    return fromUrl(url);
}

FolderArgument Folder::examineArgument(const QString& argument, const QString& workingDirectory)
{
    if (argument.isEmpty())
        return {};
    QString path;
    if (looksLikeUri(argument)) {
        path = localPathOf(QUrl(argument));
        if (!path.startsWith(u'/'))
            return {std::nullopt, argument, QStringLiteral("it is not a folder on this computer")};
    } else {
        // Joined by hand: QDir takes an argument such as ":name" for a resource path and leaves it as it is.
        path = argument.startsWith(u'/') ? argument : workingDirectory + u'/' + argument;
    }
    const QString cleaned = QDir::cleanPath(path);
    int error = 0;
    if (std::optional<QString> folder = folderAt(cleaned, &error))
        return {Folder(*folder), cleaned, {}};
    if (error == 0)
        return {std::nullopt, cleaned, {}}; // a file, not a folder
    if (error == ENOENT && isLink(encodeLocalPath(cleaned)))
        return {std::nullopt, cleaned, QStringLiteral("it is a symbolic link to nothing")};
    return {std::nullopt, cleaned, reasonOf(error)};
}

std::optional<Folder> Folder::fromArgument(const QString& argument, const QString& workingDirectory)
{
    return examineArgument(argument, workingDirectory).folder;
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
    DIR* directory = ::opendir(encodeLocalPath(path_).constData());
    if (!directory)
        return result;
    const QString prefix = path_.endsWith(u'/') ? path_ : path_ + u'/';
    while (const dirent* entry = ::readdir(directory)) {
        if (entry->d_name[0] == '.') // ".", ".." and hidden folders
            continue;
        if (std::optional<Folder> folder = fromScan(prefix + decodeLocalPath(entry->d_name)))
            result.append(*folder);
    }
    ::closedir(directory);
    std::sort(result.begin(), result.end(), [](const Folder& a, const Folder& b) { return a.name() < b.name(); });
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
