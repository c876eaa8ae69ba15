#include "app/Application.h"

#include "app/AppDelegate.h"
#include "app/TerminationSignals.h"
#include "platform/Product.h"
#include "platform/ProgramStart.h"
#include "platform/SingleInstance.h"

#include <QApplication>

namespace pigmo {
namespace {

// The command line is read once, before the GUI starts, so that help, version, mistakes and "No folders
// found." work without a display too.
CommandLineResult readCommandLine(int argc, char** argv)
{
    const QCoreApplication core(argc, argv); // gone before the GUI application exists
    return ProgramStart::read(QCoreApplication::arguments());
}

} // namespace

int runApplication(int argc, char** argv)
{
    const CommandLineResult parsed = readCommandLine(argc, argv);
    if (!parsed.request)
        return parsed.exitCode;

    QApplication application(argc, argv);
    // A later start ends here once the running program has its request.
    SingleInstance instance;
    const ProgramStart start = ProgramStart::claim(*parsed.request, instance);
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
