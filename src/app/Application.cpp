#include "app/Application.h"

#include "app/AppDelegate.h"
#include "app/AppIdentity.h"
#include "app/TerminationSignals.h"

#include <QApplication>

namespace pigmo {

int runApplication(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(AppIdentity::executableName());
    QApplication::setOrganizationDomain(QStringLiteral("velmar.io"));
    QGuiApplication::setDesktopFileName(AppIdentity::desktopId());

    LaunchRequest request;
    request.launchedAsLoginItem = QApplication::arguments().contains(QStringLiteral("--autostart"));

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &application, &QApplication::quit);

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching(request);
    const int status = QApplication::exec();
    delegate.finishPendingWork();
    return status;
}

} // namespace pigmo
