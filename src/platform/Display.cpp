#include "platform/Display.h"

#include "base/Log.h"

#include <cstdio>
#include <cstdlib>

namespace pigmo {
namespace {

QtMessageHandler passedOn = nullptr;

void exitOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        passedOn(type, context, message);
        return;
    }
    log::warning(Display::noDisplayMessage);
    std::fflush(nullptr);
    std::_Exit(1); // Qt would abort right after this handler returns
}

} // namespace

bool Display::available(const QStringList& arguments)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || arguments.contains(QStringLiteral("-platform")))
        return true;
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !qEnvironmentVariableIsEmpty("DISPLAY");
}

NoDisplayExit::NoDisplayExit()
    : previous_(qInstallMessageHandler(exitOnFatal))
{
    passedOn = previous_;
}

NoDisplayExit::~NoDisplayExit()
{
    qInstallMessageHandler(previous_);
    passedOn = nullptr;
}

} // namespace pigmo
