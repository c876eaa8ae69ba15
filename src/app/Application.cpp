#include "app/Application.h"

#include "app/AppDelegate.h"
#include "app/TerminationSignals.h"
#include "base/Log.h"
#include "platform/Product.h"
#include "platform/ProgramStart.h"
#include "platform/SingleInstance.h"

#include <QApplication>

#include <optional>

namespace pigmo {
namespace {

// Help, version, mistakes and "No folders found." are answered before the GUI starts, so they work
// without a display too. Nothing when the program is to run.
std::optional<int> answerWithoutGui(int argc, char** argv)
{
    const QCoreApplication core(argc, argv); // gone before the GUI application exists
    QCoreApplication::setApplicationName(QLatin1String(product::executableName));
    QCoreApplication::setApplicationVersion(product::version());
    const CommandLineResult parsed = CommandLine::parse(QCoreApplication::arguments());
    if (parsed.verbose)
        log::setDiagnosticsEnabled(true); // for the whole run
    if (parsed.request)
        return std::nullopt;
    if (!parsed.output.isEmpty())
        log::answer(parsed.output.trimmed());
    if (!parsed.errorOutput.isEmpty())
        log::warning(parsed.errorOutput);
    return parsed.exitCode;
}

} // namespace

int runApplication(int argc, char** argv)
{
    if (const std::optional<int> status = answerWithoutGui(argc, argv))
        return *status;

    QApplication application(argc, argv);
    // A later start ends here once the running program has its request.
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
