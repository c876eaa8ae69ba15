#include "platform/ProgramStart.h"

#include "base/Log.h"
#include "platform/Product.h"

#include <QCoreApplication>

namespace pigmo {

ProgramStart ProgramStart::begin(const QStringList& arguments, SingleInstance& instance)
{
    QCoreApplication::setApplicationName(QLatin1String(product::executableName));
    QCoreApplication::setApplicationVersion(product::version());

    const CommandLineResult parsed = CommandLine::parse(arguments);
    if (!parsed.output.isEmpty())
        log::answer(parsed.output.trimmed());
    if (!parsed.errorOutput.isEmpty())
        log::warning(parsed.errorOutput);
    if (!parsed.request)
        return {std::nullopt, parsed.exitCode};

    switch (instance.claim(*parsed.request)) {
    case SingleInstance::Role::primary:
        return {parsed.request, 0};
    case SingleInstance::Role::forwarded:
        return {std::nullopt, 0};
    case SingleInstance::Role::unanswered:
        return {std::nullopt, 1}; // logged; never a second instance beside a busy one
    case SingleInstance::Role::failed:
        break; // logged; run on without forwarding rather than not at all
    }
    return {parsed.request, 0};
}

} // namespace pigmo
