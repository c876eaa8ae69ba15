// Entry point of every benchmark program. The process gets scratch HOME and XDG directories first, so a
// benchmark never reads or writes the user's files; log lines are dropped, since the figures are those of
// the work, not of the terminal.

#include "model/Log.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#if defined(PIGMO_BENCH_GUI)
#include <QGuiApplication>
using BenchApplication = QGuiApplication;
#else
#include <QCoreApplication>
using BenchApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pigmo-bench-XXXXXX"));
    if (!home.isValid())
        return 2;
    for (const auto& [variable, relative] :
         {std::pair{"HOME", ""}, std::pair{"XDG_CONFIG_HOME", "/.config"}, std::pair{"XDG_DATA_HOME", "/.local/share"},
          std::pair{"XDG_CACHE_HOME", "/.cache"}}) {
        const QString path = home.path() + QLatin1String(relative);
        QDir().mkpath(path);
        qputenv(variable, path.toUtf8());
    }
#if defined(PIGMO_BENCH_GUI)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    BenchApplication app(argc, argv);
    pigmo::log::setSink([](pigmo::log::Channel, const QString&) {});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
