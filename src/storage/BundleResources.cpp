#include "storage/BundleResources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pigmo {
namespace {

QString executableDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

QString locate()
{
    const QString overridden = qEnvironmentVariable("PIGMO_RESOURCES_DIR");
    if (!overridden.isEmpty())
        return QDir(overridden).absolutePath();
    const QString installed =
        QDir(executableDirectory()).absoluteFilePath(QStringLiteral("../" PIGMO_INSTALL_DATA_DIR));
    if (QFileInfo(installed).isDir())
        return QDir::cleanPath(installed);
    return QStringLiteral(PIGMO_SOURCE_RESOURCES_DIR);
}

} // namespace

QString BundleResources::directory()
{
    static const QString directory = locate();
    return directory;
}

QString BundleResources::path(const QString& relativePath)
{
    return directory() + u'/' + relativePath;
}

} // namespace pigmo
