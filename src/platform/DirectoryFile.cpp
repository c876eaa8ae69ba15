#include <glib.h>
#include <glib/gstdio.h>

#include "platform/DirectoryFile.h"

#include "base/LocalPath.h"
#include "base/WholeFile.h"

#include <cerrno>
#include <memory>
#include <sys/stat.h>

namespace pigmo {
namespace {

constexpr const char* group = "Desktop Entry";
constexpr const char* iconKey = "Icon";
constexpr GKeyFileFlags keepEverything = GKeyFileFlags(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

QString consume(GError* error)
{
    const QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    g_clear_error(&error);
    return text;
}

enum class Presence { absent, regularFile, other, unknown };

// What lies at `path`; `unknown` when it cannot be looked at, with the system's reason in `error`.
Presence presenceOf(const QByteArray& path, QString* error = nullptr)
{
    struct stat info {};
    if (lstat(path.constData(), &info) == 0)
        return S_ISREG(info.st_mode) ? Presence::regularFile : Presence::other;
    if (errno == ENOENT)
        return Presence::absent;
    if (error)
        *error = QString::fromUtf8(g_strerror(errno));
    return Presence::unknown;
}

// Loads the file when it is a regular file; an absent file gives an empty key file.
Result<void> load(const QByteArray& path, GKeyFile* file)
{
    QString error;
    switch (presenceOf(path, &error)) {
    case Presence::absent:
        return Result<void>::success();
    case Presence::unknown:
        return Result<void>::failure(QStringLiteral("cannot read %1: %2").arg(decodeLocalPath(path), error));
    case Presence::other:
        return Result<void>::failure(QStringLiteral("%1 is not a regular file").arg(decodeLocalPath(path)));
    case Presence::regularFile:
        break;
    }
    GError* gerror = nullptr;
    if (!g_key_file_load_from_file(file, path.constData(), keepEverything, &gerror))
        return Result<void>::failure(QStringLiteral("cannot read %1: %2").arg(decodeLocalPath(path), consume(gerror)));
    return Result<void>::success();
}

// Replaces the file whole (see WholeFile): a write that fails (a full disk) leaves the old file as it was.
// The folder itself is not synced; after a crash the folder holds the old file or the new one, never a
// part of either. Made by the bytes of its name, whatever they are.
Result<void> save(const QByteArray& path, GKeyFile* file)
{
    gsize length = 0;
    gchar* data = g_key_file_to_data(file, &length, nullptr);
    const Result<void> saved = WholeFile::replace(decodeLocalPath(path), QByteArrayView(data, qsizetype(length)));
    g_free(data);
    if (!saved)
        return Result<void>::failure(QStringLiteral("cannot write %1: %2").arg(decodeLocalPath(path), saved.error()));
    return saved;
}

bool isBlank(GKeyFile* file)
{
    gsize length = 0;
    gchar* data = g_key_file_to_data(file, &length, nullptr);
    const bool blank = QByteArray::fromRawData(data, qsizetype(length)).trimmed().isEmpty();
    g_free(data);
    return blank;
}

void dropGroupIfEmpty(GKeyFile* file)
{
    gsize count = 0;
    gchar** keys = g_key_file_get_keys(file, group, &count, nullptr);
    g_strfreev(keys);
    if (count == 0)
        g_key_file_remove_group(file, group, nullptr);
}

} // namespace

QString DirectoryFile::filePath(const QString& folder)
{
    return folder + QStringLiteral("/.directory");
}

Result<void> DirectoryFile::setIcon(const QString& folder, const QString& icon)
{
    const QByteArray path = encodeLocalPath(filePath(folder));
    KeyFile file(g_key_file_new(), &g_key_file_free);
    if (Result<void> loaded = load(path, file.get()); !loaded)
        return loaded;
    g_key_file_set_string(file.get(), group, iconKey, icon.toUtf8().constData());
    return save(path, file.get());
}

Result<void> DirectoryFile::removeIcon(const QString& folder)
{
    const QByteArray path = encodeLocalPath(filePath(folder));
    if (presenceOf(path) == Presence::absent)
        return Result<void>::success();
    KeyFile file(g_key_file_new(), &g_key_file_free);
    if (Result<void> loaded = load(path, file.get()); !loaded)
        return loaded;
    if (!g_key_file_has_key(file.get(), group, iconKey, nullptr))
        return Result<void>::success();
    g_key_file_remove_key(file.get(), group, iconKey, nullptr);
    dropGroupIfEmpty(file.get());
    if (!isBlank(file.get()))
        return save(path, file.get());
    if (g_unlink(path.constData()) != 0)
        return Result<void>::failure(
            QStringLiteral("cannot delete %1: %2").arg(decodeLocalPath(path), QString::fromUtf8(g_strerror(errno))));
    return Result<void>::success();
}

QString DirectoryFile::icon(const QString& folder)
{
    const QByteArray path = encodeLocalPath(filePath(folder));
    KeyFile file(g_key_file_new(), &g_key_file_free);
    if (presenceOf(path) != Presence::regularFile || !load(path, file.get()))
        return {};
    gchar* value = g_key_file_get_string(file.get(), group, iconKey, nullptr);
    QString result = value ? QString::fromUtf8(value) : QString();
    g_free(value);
    return result;
}

} // namespace pigmo
