#include "app/Application.h"

#include "app/AppDelegate.h"
#include "app/AppIdentity.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace pigmo {
namespace {

void printLine(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fprintf(stream, "%s%s", bytes.constData(), bytes.endsWith('\n') ? "" : "\n");
}

// Help, version and mistakes end the program before anything starts; so does a request without a folder.
std::optional<int> answerWithoutRunning(const CommandLine& command)
{
    switch (command.outcome) {
    case CommandLine::Outcome::run:
        return std::nullopt;
    case CommandLine::Outcome::showHelp:
    case CommandLine::Outcome::showVersion:
        printLine(stdout, command.message);
        break;
    case CommandLine::Outcome::invalid:
    case CommandLine::Outcome::noFolders:
        printLine(stderr, command.message);
        break;
    }
    return command.exitStatus();
}

} // namespace

int runApplication(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(AppIdentity::executableName());
    QApplication::setApplicationVersion(QStringLiteral(PIGMO_VERSION));
    QGuiApplication::setDesktopFileName(AppIdentity::desktopId());
    QApplication::setStyle(QStringLiteral("Fusion")); // the light and dark palettes are drawn for it

    const QStringList arguments = QApplication::arguments();
    const CommandLine command = CommandLine::parse(arguments, QDir::currentPath());
    if (const std::optional<int> status = answerWithoutRunning(command))
        return *status;

    SingleInstance instance;
    if (!instance.listen()) {
        if (SingleInstance::forward(SingleInstance::defaultSocketPath(), arguments, QDir::currentPath()))
            return 0;
        printLine(stderr, QStringLiteral("Pigmo 2 is running but did not answer."));
        return 1;
    }

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &application, &QApplication::quit);

    AppDelegate delegate;
    delegate.setRequestChannel(&instance);
    delegate.applicationDidFinishLaunching(command.request);
    const int status = QApplication::exec();
    delegate.finishPendingWork();
    return status;
}

} // namespace pigmo
