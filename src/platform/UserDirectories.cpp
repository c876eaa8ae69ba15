#include "platform/UserDirectories.h"

#include <QDir>

#include <glib.h>

namespace pigmo {

namespace {

// The user directory as GLib reads it, cleaned; `fallback` below the home when none is named, empty when
// it names the home itself (the way the user directories turn a folder off).
QString userDirectory(GUserDirectory which, const QString& home, const QString& fallback)
{
    const gchar* named = g_get_user_special_dir(which);
    QString path = named ? QDir::cleanPath(QString::fromLocal8Bit(named)) : QString();
    if (path.isEmpty() && !fallback.isEmpty())
        path = home + u'/' + fallback;
    return path == home ? QString() : path;
}

} // namespace

UserDirectories UserDirectories::current()
{
    g_reload_user_special_dirs_cache();
    UserDirectories directories;
    directories.home = QDir::cleanPath(QDir::homePath());
    const QString& home = directories.home;
    directories.desktop = userDirectory(G_USER_DIRECTORY_DESKTOP, home, QStringLiteral("Desktop"));
    directories.documents = userDirectory(G_USER_DIRECTORY_DOCUMENTS, home, QStringLiteral("Documents"));
    directories.publicShare = userDirectory(G_USER_DIRECTORY_PUBLIC_SHARE, home, QString());
    directories.templates = userDirectory(G_USER_DIRECTORY_TEMPLATES, home, QString());
    return directories;
}

} // namespace pigmo
