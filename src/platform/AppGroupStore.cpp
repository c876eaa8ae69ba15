#include "platform/appgroup/app_group_store.h"

#include "platform/AppGroupStore.h"

#include "base/Log.h"

#include <vector>

namespace pigmo {
namespace {

QString takeError(GError* error)
{
    const QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    g_clear_error(&error);
    return text;
}

bool reportFailure(const char* action, GError* error)
{
    log::warning(QStringLiteral("App group: cannot %1: %2").arg(QLatin1String(action), takeError(error)));
    return false;
}

} // namespace

QString AppGroupStore::filePath()
{
    gchar* path = pigmo_app_group_store_path();
    const QString result = QString::fromUtf8(path);
    g_free(path);
    return result;
}

bool AppGroupStore::setFolderURLs(const QStringList& urls)
{
    std::vector<QByteArray> encoded;
    encoded.reserve(static_cast<size_t>(urls.size()));
    std::vector<const gchar*> pointers;
    for (const QString& url : urls)
        pointers.push_back(encoded.emplace_back(url.toUtf8()).constData());
    GError* error = nullptr;
    if (!pigmo_app_group_set_folder_urls(pointers.data(), pointers.size(), &error))
        return reportFailure("write " PIGMO_APP_GROUP_FOLDER_URLS_KEY, error);
    return true;
}

bool AppGroupStore::setContainerURL(const QString& url)
{
    GError* error = nullptr;
    if (!pigmo_app_group_set_container_url(url.toUtf8().constData(), &error))
        return reportFailure("write " PIGMO_APP_GROUP_CONTAINER_URL_KEY, error);
    return true;
}

Result<HandOver> AppGroupStore::take()
{
    gchar** urls = nullptr;
    gchar* container = nullptr;
    GError* error = nullptr;
    if (!pigmo_app_group_take(&urls, &container, &error)) {
        QString reason = takeError(error);
        log::warning(QStringLiteral("App group: cannot read the hand-over: %1").arg(reason));
        return Result<HandOver>::failure(std::move(reason));
    }
    HandOver handOver;
    if (urls) {
        handOver.folderURLs.emplace();
        for (gchar** url = urls; *url; ++url)
            handOver.folderURLs->append(QString::fromUtf8(*url));
    }
    if (container)
        handOver.containerURL = QString::fromUtf8(container);
    g_strfreev(urls);
    g_free(container);
    return handOver;
}

} // namespace pigmo
