// Styling many new folders at once through the real path of a smart request: one batch of the painter
// (sibling scans, glyph, render, icon, attribute on its worker; history recorded on this thread, written
// once per batch). Targets: at most 6 ms a folder in a batch of 100 or 1,000 new folders in one parent,
// growing linearly; ten folders with a 10,000-entry history at most 1.2 times ten with an empty one.
// Run it under a session bus (dbus-run-session) so the gvfs metadata is set as in real use.
//
// Compare the two histories with their repetitions interleaved, so that both meet the same moments of a
// shared machine, and take the medians:
//   --benchmark_filter=TenFolders --benchmark_repetitions=8 --benchmark_min_time=0.5
//   --benchmark_enable_random_interleaving=true
//
// Besides the wall time, the counters give the CPU time of the whole process (every thread, user and
// system) spent in the timed part: on a machine shared with other work the wall time mostly measures the
// others, the CPU time does not. The metadata daemon's own time is not in it.
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/CoreServices.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using namespace pigmo;

namespace {

const QStringList folderNames{QStringLiteral("Invoices"), QStringLiteral("Photos"), QStringLiteral("Music"),
                              QStringLiteral("Projects"), QStringLiteral("Recipes")};

ColorizationData sampleStyle(int n)
{
    return ColorizationData{HSL{double(n % 360), 80, 45}, 0.6,
                            Icon{QUrl::fromLocalFile(QStringLiteral("/usr/share/pigmo2/lucide/folder-heart.svg")),
                                 {},
                                 {},
                                 QStringLiteral("folder-heart"),
                                 {}},
                            170, IconStyle::vibrant()};
}

// The texts of both history files with `count` entries each.
struct HistoryTexts {
    QByteArray log;
    QByteArray styles;
};

HistoryTexts encodeHistory(int count)
{
    QList<HistoryLogEntry> entries;
    QByteArrayList styles;
    for (int n = 0; n < count; ++n) {
        const QString path = QStringLiteral("/home/ana/Archive/folder %1").arg(n);
        entries.append({path, sampleStyle(n), historyTimestampNow()});
        styles.append(json::quoted(path) + ':' + *json::encode(sampleStyle(n)));
    }
    return {*json::encodeLog(entries), '{' + styles.join(',') + '}'};
}

void writeSynced(const QString& path, const QByteArray& text)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    file.flush();
    ::fdatasync(file.handle());
}

// Replaces both history files with `count` entries each (or removes them for none), on the disk already as
// a history written long before is: its syncing does not fall into the timed part. Encoded once, so that
// the set-up leaves little to clean up for the timed part (freed memory, to be handed out again).
void writeHistory(const QString& directory, int count)
{
    QFile::remove(directory + u'/' + ColorizationHistoryStore::logFileName);
    QFile::remove(directory + u'/' + ColorizationHistoryStore::stylesFileName);
    if (count == 0)
        return;
    static std::map<int, HistoryTexts> encoded;
    if (!encoded.contains(count))
        encoded.emplace(count, encodeHistory(count));
    writeSynced(directory + u'/' + ColorizationHistoryStore::logFileName, encoded[count].log);
    writeSynced(directory + u'/' + ColorizationHistoryStore::stylesFileName, encoded[count].styles);
}

// New folders in a fresh parent, named as people name them.
QList<Folder> makeFolders(const QString& parent, int count)
{
    QList<Folder> folders;
    for (int n = 0; n < count; ++n) {
        const QString path = parent + QStringLiteral("/%1 %2").arg(folderNames[n % folderNames.size()]).arg(n);
        QDir().mkdir(path);
        folders.append(Folder::unchecked(path));
    }
    return folders;
}

// CPU time of this process so far (all threads, user and system), in milliseconds.
double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Styles the folders as one batch and returns when the last one is recorded and the history written;
// adds the process's CPU time for it to `cpuMs`.
void styleBatch(test::CoreServices& services, ColorizationHistoryStore& store, const QList<Folder>& folders,
                double& cpuMs)
{
    const double before = processCpuMs();
    FolderStyler styler(services.executors, store, services.attributes, services.smartIcons);
    // As the program does: each folder is recorded in the history as it ends, through the event loop.
    QEventLoop loop;
    qsizetype unfinished = folders.size();
    styler.styleByName(folders, QStringLiteral("bench: "), [&](const FolderStyler::Outcome&) {
        if (--unfinished == 0)
            loop.quit();
    });
    loop.exec();
    styler.waitForIdle();
    cpuMs += processCpuMs() - before;
}

// The catalogues, attribute store and a ready keyword index.
void prepareIndex(test::CoreServices& services)
{
    services.smartIcons.buildIndexIfNeeded();
    services.smartIcons.waitUntilReady(std::chrono::seconds(60));
}

// A batch of N new folders in one parent, with an empty history.
void BM_StyleBatchInOneParent(benchmark::State& state)
{
    test::CoreServices services;
    prepareIndex(services);
    const int count = int(state.range(0));
    double cpuMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir parent(QDir::homePath() + QStringLiteral("/bench-batch-XXXXXX"));
        const QList<Folder> folders = makeFolders(parent.path(), count);
        writeHistory(ColorizationHistoryStore().storageDirectory(), 0);
        ColorizationHistoryStore store;
        state.ResumeTiming();
        styleBatch(services, store, folders, cpuMs);
    }
    state.counters["ms_per_folder"] = benchmark::Counter(
        double(count) / 1000.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["cpu_ms_per_folder"] = cpuMs / double(state.iterations()) / double(count);
}
BENCHMARK(BM_StyleBatchInOneParent)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ten new folders, with a history of N entries in both files (loaded before the timing starts, as a
// running program has it; the store and the folders go after it, as they came before it).
void BM_TenFoldersWithHistory(benchmark::State& state)
{
    test::CoreServices services;
    prepareIndex(services);
    const int historySize = int(state.range(0));
    double cpuMs = 0;
    std::optional<QTemporaryDir> parent;
    std::optional<ColorizationHistoryStore> store;
    for (auto _ : state) {
        state.PauseTiming();
        store.reset();
        parent.emplace(QDir::homePath() + QStringLiteral("/bench-history-XXXXXX"));
        const QList<Folder> folders = makeFolders(parent->path(), 10);
        writeHistory(ColorizationHistoryStore().storageDirectory(), historySize);
        store.emplace();
        state.ResumeTiming();
        styleBatch(services, *store, folders, cpuMs);
        store->waitForWrites();
    }
    state.counters["cpu_ms"] = cpuMs / double(state.iterations());
}
BENCHMARK(BM_TenFoldersWithHistory)->Arg(0)->Arg(10'000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
