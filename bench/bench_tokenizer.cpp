// The query tokeniser over typical folder names (ASCII, camel case, accents, other scripts).
#include "smart/QueryTokenizer.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Tokenize(benchmark::State& state)
{
    const QStringList names = {
        QStringLiteral("MyPhotos 2024"), QStringLiteral("HTMLParser"),       QStringLiteral("project_notes-2024"),
        QStringLiteral("Invoices"),      QString::fromUtf8("Café_Reçus"),    QString::fromUtf8("Фотографии"),
        QString::fromUtf8("写真"),       QStringLiteral("Tax Returns 2023"), QStringLiteral("iPhone Backups"),
        QStringLiteral("node_modules")};
    qsizetype i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(pigmo::tokenize(names[i++ % names.size()]));
}
BENCHMARK(BM_Tokenize);

} // namespace
