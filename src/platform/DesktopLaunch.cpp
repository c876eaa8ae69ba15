// GIO only: kept apart from Qt's headers.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/Desktop.h"
#include "platform/Product.h"

namespace pigmo {

Result<void> Desktop::launchMainProgram()
{
    GDesktopAppInfo* info = g_desktop_app_info_new(product::desktopFileId);
    if (!info)
        return Result<void>::failure(QStringLiteral("%1 is not installed").arg(QLatin1String(product::desktopFileId)));
    GError* error = nullptr;
    const gboolean ok = g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error);
    g_object_unref(info);
    if (ok)
        return Result<void>::success();
    const QString reason = QString::fromUtf8(error ? error->message : "unknown error");
    g_clear_error(&error);
    return Result<void>::failure(reason);
}

} // namespace pigmo
