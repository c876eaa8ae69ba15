// Setting one folder's icon end to end (PNG encode, store, gvfs metadata, .directory, refresh) and reading a
// folder's icon back. Run under a session bus with gvfsd-metadata (scripts/run-benchmarks provides one).
#include "platform/FolderIconStore.h"
#include "platform/FolderIcons.h"
#include "platform/PngEncoder.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

// A rendered folder icon stand-in: 512 x 512 with gradients and a shape, so PNG compression has real work.
QImage renderedIcon(int variant)
{
    QImage image(512, 512, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 512);
    gradient.setColorAt(0, QColor::fromHsv((variant * 37) % 360, 160, 250));
    gradient.setColorAt(1, QColor::fromHsv((variant * 37) % 360, 220, 170));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(24, 90, 464, 360), 36, 36);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(QPointF(256, 280), 90, 90);
    return image;
}

void BM_SetFolderIcon(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Folder"));
    QDir().mkdir(folder);
    const QImage images[2] = {renderedIcon(1), renderedIcon(2)};
    int turn = 0;
    for (auto _ : state) {
        // Alternating images: every call is a real change (new file, old file deleted).
        if (!FolderIcons::setIcon(images[turn++ % 2], folder))
            state.SkipWithError("setting the icon failed (no session bus?)");
    }
}
BENCHMARK(BM_SetFolderIcon)->Unit(benchmark::kMillisecond);

// The same with the icon store already holding other folders' icons: a change should cost the same with
// ten thousand of them as with none.
void BM_SetFolderIconAmongOthers(benchmark::State& state)
{
    const QString store = FolderIconStore::directory();
    QDir(store).removeRecursively();
    QDir().mkpath(store);
    for (int n = 0; n < state.range(0); ++n) {
        QFile other(store + u'/' + FolderIconStore::fileName(QStringLiteral("/others/%1").arg(n), "png"));
        if (!other.open(QIODevice::WriteOnly))
            state.SkipWithError("the icon store cannot be filled");
    }
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Folder"));
    QDir().mkdir(folder);
    const QImage images[2] = {renderedIcon(1), renderedIcon(2)};
    const QByteArray pngs[2] = {encodePng(images[0]), encodePng(images[1])};
    int turn = 0;
    for (auto _ : state) {
        const int image = turn++ % 2;
        if (!FolderIcons::setIcon(images[image], pngs[image], folder))
            state.SkipWithError("setting the icon failed (no session bus?)");
    }
    QDir(store).removeRecursively();
}
BENCHMARK(BM_SetFolderIconAmongOthers)->Arg(0)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_ReadFolderIcon(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Folder"));
    QDir().mkdir(folder);
    FolderIcons::setIcon(renderedIcon(3), folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(FolderIcons::icon(folder));
}
BENCHMARK(BM_ReadFolderIcon)->Unit(benchmark::kMillisecond);

// An icon the program did not set in this run (another file manager's .directory entry): decoded every time.
void BM_ReadFolderIconUncached(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Folder"));
    QDir().mkdir(folder);
    renderedIcon(4).save(dir.filePath(QStringLiteral("icon.png")));
    QFile entry(folder + QStringLiteral("/.directory"));
    entry.open(QIODevice::WriteOnly);
    entry.write("[Desktop Entry]\nIcon=" + QFile::encodeName(dir.filePath(QStringLiteral("icon.png"))) + "\n");
    entry.close();
    for (auto _ : state)
        benchmark::DoNotOptimize(FolderIcons::icon(folder));
}
BENCHMARK(BM_ReadFolderIconUncached)->Unit(benchmark::kMillisecond);

void BM_ReadPlainFolderIcon(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state)
        benchmark::DoNotOptimize(FolderIcons::icon(dir.path()));
}
BENCHMARK(BM_ReadPlainFolderIcon)->Unit(benchmark::kMillisecond);

} // namespace
