#include "platform/FullDiskAccess.h"

#include "base/Log.h"
#include "storage/Preferences.h"

#include <dirent.h>
#include <pwd.h>
#include <unistd.h>

namespace pigmo {
namespace {

// The home directory from the user database (real user id); nothing when the lookup fails.
QString homeFromUserDatabase()
{
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir ? QString::fromLocal8Bit(entry->pw_dir) : QString();
}

bool canList(const QString& path)
{
    DIR* directory = ::opendir(path.toLocal8Bit().constData());
    if (!directory)
        return false;
    ::closedir(directory);
    return true;
}

} // namespace

bool FullDiskAccess::isSandboxed()
{
    return qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID") || qEnvironmentVariableIsSet("FLATPAK_ID");
}

bool FullDiskAccess::isGranted()
{
    if (isSandboxed()) {
        log::system(QStringLiteral("isGranted will always return false in a sandboxed app."));
        return false;
    }
    const QString written = probeDirectory();
    QString path = written;
    if (const QString home = homeFromUserDatabase(); !home.isEmpty())
        path.replace(u'~', home);
    if (canList(path)) {
        log::system(QStringLiteral("Full Disk Access is granted (able to read %1)").arg(written));
        return true;
    }
    log::system(QStringLiteral("Full Disk Access is not granted (Unable to read %1)").arg(written));
    return false;
}

void FullDiskAccess::openSystemSettings()
{
    log::system(QStringLiteral("Full Disk Access has no settings page on this system"));
}

void FullDiskAccess::promptIfNotGranted(const PromptRequest& request, const PromptPresenter& presenter)
{
    if (request.canBeSuppressed && Preferences::value(prefs::fdaSuppressed)) {
        log::system(QStringLiteral("Prompt has not appeared because it has been suppressed by the user"));
        return;
    }
    if (isSandboxed()) {
        log::system(QStringLiteral("Prompt has not appeared because the app is sandboxed"));
        return;
    }
    if (isGranted()) {
        log::system(QStringLiteral("Prompt has not appeared because Full Disk Access is already granted"));
        return;
    }
    if (!presenter)
        return;
    const PromptAnswer answer = presenter(request);
    if (request.canBeSuppressed && answer.suppressionChecked)
        Preferences::setValue(prefs::fdaSuppressed, true);
    if (answer.settingsButtonChosen)
        openSystemSettings();
}

void FullDiskAccess::resetPromptSuppression()
{
    Preferences::setValue(prefs::fdaSuppressed, false);
}

} // namespace pigmo
