#include "platform/ProgramStart.h"

#include "base/Log.h"
#include "base/Product.h"

#include <QCoreApplication>

namespace pigmo {

namespace {

void nameApplication()
{
    QCoreApplication::setApplicationName(QLatin1String(product::executableName));
    QCoreApplication::setApplicationVersion(product::version());
}

} // namespace

CommandLineResult ProgramStart::read(const QStringList& arguments)
{
    nameApplication();

    const CommandLineResult parsed = CommandLine::parse(arguments);
    if (parsed.verbose)
        log::setDiagnosticsEnabled(true);
    if (!parsed.output.isEmpty())
        log::answer(parsed.output.trimmed());
    // Named folders that cannot be reached are said first, a line each, before anything is styled or opened.
    const bool styling = parsed.request ? parsed.request->action == LaunchRequest::Action::smart
                                        : parsed.exitCode == CommandLineResult::noneReachable;
    for (const UnreachableFolder& folder : parsed.unreachable) {
        if (styling)
            log::answer(folder.path + QStringLiteral(": not styled: ") + folder.reason);
        else
            log::warning(folder.path + QStringLiteral(": cannot be opened: ") + folder.reason);
    }
    if (!parsed.errorOutput.isEmpty())
        log::warning(parsed.errorOutput);
    return parsed;
}

ProgramStart ProgramStart::claim(const LaunchRequest& request, SingleInstance& instance)
{
    nameApplication(); // the GUI application object is a new one
    switch (instance.claim(request)) {
    case SingleInstance::Role::primary:
        return {request, 0};
    case SingleInstance::Role::forwarded:
    case SingleInstance::Role::pending: // logged; taken when the running instance resumes
        return {std::nullopt, 0};
    case SingleInstance::Role::busy:
        return {std::nullopt, 1}; // logged; never a second instance beside a busy one
    case SingleInstance::Role::failed:
        break; // logged; run on without forwarding rather than not at all
    }
    return {request, 0};
}

} // namespace pigmo
