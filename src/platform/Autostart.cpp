#include <glib.h>

#include "platform/Autostart.h"

#include "base/Log.h"
#include "base/Product.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

namespace pigmo {
namespace {

constexpr const char* group = "Desktop Entry";
using KeyFile = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

bool fail(const QString& what, GError* error)
{
    log::warning(
        QStringLiteral("Autostart: cannot %1: %2").arg(what, error ? QString::fromUtf8(error->message) : QString()));
    g_clear_error(&error);
    return false;
}

// One argument of an Exec value: "%" doubled (a field code otherwise); an argument holding a reserved
// character goes in double quotes, inside which '"', '`', '$' and the backslash are escaped with a backslash.
QString execArgument(QString argument)
{
    argument.replace(u'%', QStringLiteral("%%"));
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::ranges::none_of(argument, [](QChar c) { return reserved.contains(c); }))
        return argument;
    QString quoted(u'"');
    for (const QChar c : std::as_const(argument)) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

} // namespace

QString Autostart::runningProgram()
{
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QString onPath = QStandardPaths::findExecutable(QLatin1String(product::executableName));
    if (self.isEmpty() || (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == self))
        return QLatin1String(product::executableName);
    return self;
}

QString Autostart::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/") +
           QLatin1String(product::desktopFileId);
}

bool Autostart::isEnabled()
{
    KeyFile file(g_key_file_new(), &g_key_file_free);
    if (!g_key_file_load_from_file(file.get(), QFile::encodeName(filePath()).constData(), G_KEY_FILE_NONE, nullptr))
        return false;
    return !g_key_file_get_boolean(file.get(), group, "Hidden", nullptr);
}

bool Autostart::enable(const QString& program)
{
    const QString path = filePath();
    if (!QDir().mkpath(QFileInfo(path).path()))
        return fail(QStringLiteral("create %1").arg(QFileInfo(path).path()), nullptr);
    KeyFile file(g_key_file_new(), &g_key_file_free);
    g_key_file_set_string(file.get(), group, "Type", "Application");
    g_key_file_set_string(file.get(), group, "Name", product::displayName);
    const QString exec = execArgument(program) + QStringLiteral(" --autostart");
    g_key_file_set_string(file.get(), group, "Exec", exec.toUtf8().constData());
    g_key_file_set_string(file.get(), group, "Icon", product::identifier);
    g_key_file_set_boolean(file.get(), group, "Terminal", FALSE);
    g_key_file_set_boolean(file.get(), group, "NoDisplay", TRUE);
    GError* error = nullptr;
    if (!g_key_file_save_to_file(file.get(), QFile::encodeName(path).constData(), &error))
        return fail(QStringLiteral("write %1").arg(path), error);
    return true;
}

bool Autostart::disable()
{
    const QString path = filePath();
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    if (!QFile::remove(path)) {
        log::warning(QStringLiteral("Autostart: cannot delete %1").arg(path));
        return false;
    }
    return true;
}

} // namespace pigmo
