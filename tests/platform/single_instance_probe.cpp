// Test helper: a stand-in for the program's main() that uses the real start-up path.
//   single_instance_probe SOCKET [program arguments...]
// The instance that runs prints "PRIMARY <action> <folders...>", then "RECEIVED <action> <folders...>" for each
// request of a later start, and ends after the first received request or after 20 seconds. With PROBE_BUSY_MS
// set, the running instance is unresponsive for that many milliseconds after it printed its first line.
#include "platform/ProgramStart.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <cstdio>

using namespace pigmo;

namespace {

void report(const char* what, const LaunchRequest& request)
{
    static const char* const names[] = {"launch", "autostart", "open", "smart", "notify"};
    const QString line =
        QStringLiteral("%1 %2 %3")
            .arg(QLatin1String(what), QLatin1String(names[int(request.action)]), request.folders.join(u' '));
    std::printf("%s\n", line.trimmed().toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    if (arguments.size() < 2)
        return 2;
    SingleInstance instance(arguments.takeAt(1));
    const CommandLineResult parsed = ProgramStart::read(arguments);
    if (!parsed.request)
        return parsed.exitCode;
    const ProgramStart start = ProgramStart::claim(*parsed.request, instance);
    if (!start.request)
        return start.exitCode;
    report("PRIMARY", *start.request);
    // PROBE_BUSY_MS: the running instance's event loop is blocked that long after it starts listening.
    if (const int busy = qEnvironmentVariableIntValue("PROBE_BUSY_MS"); busy > 0)
        QThread::msleep(static_cast<unsigned long>(busy));
    QObject::connect(&instance, &SingleInstance::requestReceived, &app, [&app](const LaunchRequest& request) {
        report("RECEIVED", request);
        app.quit();
    });
    QTimer::singleShot(20000, &app, &QCoreApplication::quit);
    return app.exec();
}
