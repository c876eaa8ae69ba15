#include "platform/Desktop.h"

#include "base/Log.h"

#include <QDesktopServices>

namespace pigmo {

bool Desktop::openWebPage(const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    log::warning(QStringLiteral("Desktop: cannot open %1").arg(url.toString()));
    return false;
}

} // namespace pigmo
