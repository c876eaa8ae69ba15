#include "app/Application.h"

#include "app/AppDelegate.h"
#include "app/TerminationSignals.h"
#include "platform/Product.h"
#include "platform/ProgramStart.h"
#include "platform/SingleInstance.h"

#include <QApplication>

namespace pigmo {

int runApplication(int argc, char** argv)
{
    QApplication application(argc, argv);
    // Help, version, mistakes and "No folders found." end here; so does a later start once the running
    // program has its request.
    SingleInstance instance;
    const ProgramStart start = ProgramStart::begin(QApplication::arguments(), instance);
    if (!start.request)
        return start.exitCode;

    QGuiApplication::setDesktopFileName(QLatin1String(product::identifier));
    QApplication::setStyle(QStringLiteral("Fusion")); // the light and dark palettes are drawn for it

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &application, &QApplication::quit);

    AppDelegate delegate;
    delegate.setRequestChannel(&instance);
    delegate.applicationDidFinishLaunching(*start.request);
    const int status = QApplication::exec();
    delegate.finishPendingWork();
    return status;
}

} // namespace pigmo
