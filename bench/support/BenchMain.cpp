// Entry point of every benchmark program. The process gets scratch HOME and XDG directories first, so a
// benchmark never reads or writes the user's files; log lines are dropped, since the figures are those of
// the work, not of the terminal.

#include "base/Log.h"
#include "support/ScratchHome.h"

#include <benchmark/benchmark.h>

#if defined(PIGMO_BENCH_WIDGETS)
#include <QApplication>
using BenchApplication = QApplication;
#elif defined(PIGMO_BENCH_GUI)
#include <QGuiApplication>
using BenchApplication = QGuiApplication;
#else
#include <QCoreApplication>
using BenchApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    const pigmo::test::ScratchHome home(QStringLiteral("pigmo-bench"));
    if (!home.isValid())
        return 2;
#if defined(PIGMO_BENCH_GUI) || defined(PIGMO_BENCH_WIDGETS)
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
