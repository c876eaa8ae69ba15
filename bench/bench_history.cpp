// The history store's hot paths: recording with a long loaded log (every record rewrites the whole log),
// loading that log, and a batch of ten recordings before the log is loaded (as a smart request records),
// with a long history and with none; and the check of a long log that such a batch makes.
#include "base/Log.h"
#include "storage/ColorizationHistoryStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

constexpr int logSize = 10'000;

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

// Replaces the log file with `count` entries.
void writeLog(const QString& directory, int count)
{
    QList<HistoryLogEntry> entries;
    entries.reserve(count);
    for (int n = 0; n < count; ++n)
        entries.append({QStringLiteral("/home/ana/Projects/folder %1").arg(n), sampleStyle(n), historyTimestampNow()});
    QFile file(directory + QLatin1Char('/') + ColorizationHistoryStore::logFileName);
    file.open(QIODevice::WriteOnly);
    file.write(*json::encodeLog(entries));
}

void BM_RecordWithLoadedLog(benchmark::State& state)
{
    ColorizationHistoryStore store;
    writeLog(store.storageDirectory(), logSize);
    store.loadChronologicalLog();
    int n = 0;
    for (auto _ : state) {
        store.record(QStringLiteral("/home/ana/Projects/folder %1").arg(n % 100), sampleStyle(n));
        ++n;
    }
    state.counters["entries"] = double(store.chronologicalLog().size());
}
BENCHMARK(BM_RecordWithLoadedLog)->Unit(benchmark::kMillisecond);

// Replaces the styles file with `count` styles.
void writeStyles(const QString& directory, int count)
{
    QByteArrayList styles;
    for (int n = 0; n < count; ++n)
        styles.append(json::quoted(QStringLiteral("/home/ana/Projects/folder %1").arg(n)) + ':' +
                      *json::encode(sampleStyle(n)));
    QFile file(directory + QLatin1Char('/') + ColorizationHistoryStore::stylesFileName);
    file.open(QIODevice::WriteOnly);
    file.write('{' + styles.join(',') + '}');
}

void BM_BatchOfTen(benchmark::State& state)
{
    const int historySize = int(state.range(0));
    const QString directory = ColorizationHistoryStore().storageDirectory();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(directory + QLatin1Char('/') + ColorizationHistoryStore::logFileName);
        QFile::remove(directory + QLatin1Char('/') + ColorizationHistoryStore::stylesFileName);
        if (historySize > 0) {
            writeLog(directory, historySize);
            writeStyles(directory, historySize);
        }
        ColorizationHistoryStore store;
        state.ResumeTiming();
        store.beginBatch();
        for (int i = 0; i < 10; ++i, ++n)
            store.record(QStringLiteral("/home/ana/New/folder %1").arg(n), sampleStyle(n));
        store.endBatch();
    }
}
BENCHMARK(BM_BatchOfTen)->Arg(0)->Arg(logSize)->Unit(benchmark::kMillisecond);

void BM_LoadLog(benchmark::State& state)
{
    writeLog(ColorizationHistoryStore().storageDirectory(), logSize);
    for (auto _ : state) {
        ColorizationHistoryStore store;
        store.loadChronologicalLog();
        benchmark::DoNotOptimize(store.chronologicalLog().size());
    }
}
BENCHMARK(BM_LoadLog)->Unit(benchmark::kMillisecond);

// The check a batch makes of the log it appends to (every entry must decode).
void BM_CheckLog(benchmark::State& state)
{
    const QString directory = ColorizationHistoryStore().storageDirectory();
    writeLog(directory, logSize);
    QFile file(directory + QLatin1Char('/') + ColorizationHistoryStore::logFileName);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    for (auto _ : state)
        benchmark::DoNotOptimize(json::checkLog(bytes).hasValue());
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_CheckLog)->Unit(benchmark::kMillisecond);

} // namespace
