#include <gio/gio.h>

#include "platform/IconTheme.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QStringList>

#include <memory>

namespace pigmo {
namespace {

using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

QString desktopThemeName()
{
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.interface", TRUE) : nullptr;
    if (!schema)
        return {};
    const bool hasKey = g_settings_schema_has_key(schema, "icon-theme");
    g_settings_schema_unref(schema);
    if (!hasKey)
        return {};
    GSettings* settings = g_settings_new("org.gnome.desktop.interface");
    gchar* name = g_settings_get_string(settings, "icon-theme");
    QString result = QString::fromUtf8(name);
    g_free(name);
    g_object_unref(settings);
    return result;
}

QStringList iconBaseDirectories()
{
    QStringList bases{QDir::homePath() + QStringLiteral("/.icons")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        bases.append(data + QStringLiteral("/icons"));
    return bases;
}

struct Candidate {
    QString path;
    int size = 0;
    bool scalable = false;
};

// Looks the icon up in one theme directory through its index.theme; gives the theme's Inherits list.
QStringList searchTheme(const QString& themeDir, const QString& name, Candidate& best)
{
    KeyFile index(g_key_file_new(), &g_key_file_free);
    g_key_file_set_list_separator(index.get(), ',');
    const QByteArray indexPath = (themeDir + QStringLiteral("/index.theme")).toUtf8();
    if (!g_key_file_load_from_file(index.get(), indexPath.constData(), G_KEY_FILE_NONE, nullptr))
        return {};
    gchar** directories = g_key_file_get_string_list(index.get(), "Icon Theme", "Directories", nullptr, nullptr);
    for (gchar** dir = directories; dir && *dir; ++dir) {
        const int size = g_key_file_get_integer(index.get(), *dir, "Size", nullptr);
        gchar* type = g_key_file_get_string(index.get(), *dir, "Type", nullptr);
        const bool scalable = type && g_strcmp0(type, "Scalable") == 0;
        g_free(type);
        const QString base = themeDir + u'/' + QString::fromUtf8(*dir) + u'/' + name;
        for (const char* suffix : {".png", ".svg"}) {
            const QString file = base + QLatin1String(suffix);
            const bool better = best.path.isEmpty() || (!scalable && (best.scalable || size > best.size));
            if (better && QFileInfo::exists(file))
                best = Candidate{file, size, scalable};
        }
    }
    g_strfreev(directories);
    gchar* inherits = g_key_file_get_string(index.get(), "Icon Theme", "Inherits", nullptr);
    const QStringList parents = QString::fromUtf8(inherits).split(u',', Qt::SkipEmptyParts);
    g_free(inherits);
    return parents;
}

QString findIcon(const QString& firstTheme, const QString& name)
{
    QStringList pending{firstTheme, QStringLiteral("Adwaita"), QStringLiteral("hicolor")};
    QSet<QString> visited;
    const QStringList bases = iconBaseDirectories();
    while (!pending.isEmpty()) {
        const QString theme = pending.takeFirst().trimmed();
        if (theme.isEmpty() || visited.contains(theme))
            continue;
        visited.insert(theme);
        Candidate best;
        QStringList parents;
        for (const QString& base : bases) {
            if (QFileInfo(base + u'/' + theme).isDir())
                parents += searchTheme(base + u'/' + theme, name, best);
        }
        if (!best.path.isEmpty())
            return best.path;
        pending = parents + pending;
    }
    return {};
}

} // namespace

QString IconTheme::themeName()
{
    const QString name = desktopThemeName();
    return name.isEmpty() ? QStringLiteral("Adwaita") : name;
}

QString IconTheme::iconPath(const QString& name)
{
    return iconPath(name, themeName());
}

QString IconTheme::iconPath(const QString& name, const QString& firstTheme)
{
    return findIcon(firstTheme, name);
}

} // namespace pigmo
