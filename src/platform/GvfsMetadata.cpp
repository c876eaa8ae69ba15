#include <gio/gio.h>

#include "platform/GvfsMetadata.h"

#include "base/LocalPath.h"
namespace pigmo {
namespace {

constexpr const char* customIconKey = "metadata::custom-icon";

// Owns one GFile for the length of a call.
struct File {
    explicit File(const QString& path)
        : handle(g_file_new_for_path(encodeLocalPath(path).constData()))
    {
    }
    ~File() { g_object_unref(handle); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    GFile* handle;
};

Result<void> resultOf(gboolean ok, GError* error)
{
    if (ok)
        return Result<void>::success();
    const QString reason = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    g_clear_error(&error);
    return Result<void>::failure(reason);
}

} // namespace

Result<void> GvfsMetadata::setCustomIcon(const QString& path, const QString& uri)
{
    File file(path);
    GError* error = nullptr;
    const gboolean ok = g_file_set_attribute_string(file.handle, customIconKey, uri.toUtf8().constData(),
                                                    G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &error);
    return resultOf(ok, error);
}

Result<void> GvfsMetadata::unsetCustomIcon(const QString& path)
{
    File file(path);
    GError* error = nullptr;
    // The invalid type with no value is how GIO removes a metadata key.
    const gboolean ok = g_file_set_attribute(file.handle, customIconKey, G_FILE_ATTRIBUTE_TYPE_INVALID, nullptr,
                                             G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &error);
    return resultOf(ok, error);
}

QString GvfsMetadata::unavailableReason()
{
    static const QString reason = [] {
        // Only the metadata service adds the "metadata" namespace to what a local file can take.
        File root(QStringLiteral("/"));
        GFileAttributeInfoList* writable = g_file_query_writable_namespaces(root.handle, nullptr, nullptr);
        const bool available = writable && g_file_attribute_info_list_lookup(writable, "metadata");
        if (writable)
            g_file_attribute_info_list_unref(writable);
        if (available)
            return QString();
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        if (!bus)
            return QStringLiteral("no session bus");
        g_object_unref(bus);
        return QStringLiteral("no gvfs metadata service");
    }();
    return reason;
}

void GvfsMetadata::prepare(const QString& path)
{
    g_vfs_get_default();
    // Kept for the life of the process: the metadata service's proxy is made on this shared connection.
    static GDBusConnection* const bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    Q_UNUSED(bus)
    customIcon(path);
}

QString GvfsMetadata::customIcon(const QString& path)
{
    File file(path);
    GFileInfo* info =
        g_file_query_info(file.handle, customIconKey, G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, nullptr);
    if (!info)
        return {};
    const char* value = g_file_info_get_attribute_string(info, customIconKey);
    QString result = value ? QString::fromUtf8(value) : QString();
    g_object_unref(info);
    return result;
}

} // namespace pigmo
