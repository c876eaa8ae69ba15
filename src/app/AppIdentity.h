#pragma once

#include <QString>
#include <QUrl>

namespace pigmo {

// Who the program is, to the desktop and to the user.
struct AppIdentity {
    // The program's name as menus show it ("Quit Pigmo 2").
    static QString bundleName() { return QStringLiteral("Pigmo 2"); }
    // The executable's name; also the window class the desktop file names.
    static QString executableName() { return QStringLiteral("pigmo2"); }
    // The desktop file id without ".desktop"; also the Wayland application id.
    static QString desktopId() { return QStringLiteral("io.velmar.pigmo2"); }
    // The product's web site, and its download page, which "Check for Updates…" opens.
    static QUrl productSite() { return QUrl(QStringLiteral("https://pigmo.velmar.io")); }
    static QUrl downloadPage() { return QUrl(QStringLiteral("https://pigmo.velmar.io/download")); }
};

} // namespace pigmo
