#include "app/Application.h"

#include "app/SmartPaintOnce.h"
#include "app/WindowProgram.h"
#include "base/Log.h"
#include "platform/Display.h"
#include "platform/ProgramStart.h"
#include "platform/SingleInstance.h"

#include <QApplication>

#include <variant>

namespace pigmo {
namespace {

// What a start does once the command line is read without any window platform loaded: end with an exit
// status, or run with a request. A --smart run ends with at least `leastStatus`: 2 when some named folder
// could not be reached.
struct Run {
    LaunchRequest request;
    int leastStatus = 0;
};
using Decision = std::variant<int, Run>;

// Help, version, mistakes and "No folders found." are answered here, as is every request that needs no
// window of this process: --smart handed to the running program, and any request when there is no display
// (handed to the running program, else refused).
Decision decideWithoutGui(int argc, char** argv)
{
    const QCoreApplication core(argc, argv); // gone before any other application object exists
    // The one reading of the command line, its names taken from the bytes.
    const CommandLineResult parsed = ProgramStart::read(CommandLine::arguments(argc, argv));
    if (!parsed.request)
        return parsed.exitCode;

    const LaunchRequest& request = *parsed.request;
    const bool smart = request.action == LaunchRequest::Action::smart;
    const int leastStatus = smart && !parsed.unreachable.isEmpty() ? SmartPaintOnce::someFailed : 0;
    if (!smart && Display::available(QCoreApplication::arguments()))
        return Run{request}; // the window's start claims the single instance itself
    switch (SingleInstance().handOver(request)) {
    case SingleInstance::Role::forwarded:
    case SingleInstance::Role::pending: // logged: the running program takes it when it resumes
        return leastStatus;
    case SingleInstance::Role::busy:
        return 1; // logged; nothing was handed over, and this process does not style beside a busy program
    case SingleInstance::Role::primary:
    case SingleInstance::Role::failed:
        break;
    }
    if (smart)
        return Run{request, leastStatus}; // styled by this process alone
    log::warning(Display::noDisplayMessage);
    return 1;
}

int runWithWindow(int argc, char** argv, const LaunchRequest& request)
{
    std::optional<QApplication> made;
    {
        const NoDisplayExit noDisplay; // a display that does not answer ends the start with our message
        made.emplace(argc, argv);
    }
    WindowProgram program(request);
    if (const std::optional<int> ended = program.endedWith())
        return *ended;
    return program.exec();
}

} // namespace

int runApplication(int argc, char** argv)
{
    const Decision decision = decideWithoutGui(argc, argv);
    if (const int* status = std::get_if<int>(&decision))
        return *status;
    const auto& [request, leastStatus] = std::get<Run>(decision);
    if (request.action == LaunchRequest::Action::smart)
        SmartPaintOnce::run(argc, argv, request.folders, leastStatus);
    return runWithWindow(argc, argv, request);
}

} // namespace pigmo
