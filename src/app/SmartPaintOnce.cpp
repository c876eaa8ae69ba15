#include "app/SmartPaintOnce.h"

#include "app/AppServices.h"
#include "app/TerminationSignals.h"
#include "base/Log.h"
#include "platform/FolderIcons.h"
#include "platform/Product.h"
#include "render/ColorizationService.h"
#include "services/FolderStyler.h"
#include "storage/ColorizationHistoryStore.h"

#include <QEventLoop>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <optional>
#include <thread>
#include <utility>

namespace pigmo {
namespace {

QString glyph(const std::optional<Icon>& icon)
{
    if (!icon)
        return QStringLiteral("no glyph");
    if (icon->emoji)
        return *icon->emoji;
    if (!icon->name.isEmpty())
        return icon->name;
    return icon->systemName.value_or(QStringLiteral("a glyph"));
}

} // namespace

void SmartPaintOnce::run(int argc, char** argv, const QStringList& folders, int leastStatus)
{
    // A short run of a few busy threads (index build, its loaders, the history load, drawing): four heaps
    // keep them from queueing on the allocator's locks at the cost of a little more memory at the peak; more
    // heaps only raise the peak.
    mallopt(M_ARENA_MAX, 4);
    // No window system is reached: neither an X11 nor a Wayland connection is tried, whatever the
    // environment names.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The services need no application object: the keyword index builds on its own thread while the
    // application starts, the history migrates and the first folder is scanned.
    std::optional<StylingServices> services;
    services.emplace(StylingServices::IndexBuild::atOnce);
    const QGuiApplication application(argc, argv);
    // What the first icon needs besides the index, made ready while the index builds: the folder image the
    // tint starts from and GIO's way to the metadata service. Joined before the application goes.
    std::jthread prepare([first = folders.value(0)] {
        ColorizationService::neutralFolderImage();
        if (!first.isEmpty())
            FolderIcons::prepare(first);
    });
    QCoreApplication::setApplicationName(QLatin1String(product::executableName));
    QCoreApplication::setApplicationVersion(product::version());
    // As at every start: old history first, so that it never overwrites what this run records.
    services->history().migrateLegacyHistoryIfNeeded();
    const int status = paint(folders, through(services->styler()), services->history());
    services->styler().waitForIdle(); // also removes the journal: the run's records are written
    services->history().waitForWrites();
    prepare.join();
    // Every icon, attribute and history file is written and synced, and every line flushed. Taking down the
    // services, the application and the static objects would cost more than styling a folder (tearing down
    // the offscreen platform even loads the font configuration), and leaves nothing that the end of the
    // process does not release.
    std::fflush(nullptr);
    std::_Exit(std::max(status, leastStatus));
}

SmartPaintOnce::Styling SmartPaintOnce::through(FolderStyler& styler)
{
    const auto start = [&styler](const QStringList& paths, const FolderFinished& finished) {
        QList<Folder> folders;
        folders.reserve(paths.size());
        for (const QString& path : paths)
            folders.append(Folder::unchecked(path));
        styler.styleByName(
            folders, QStringLiteral("[Smart] "),
            [finished](const FolderStyler::Outcome& outcome) {
                if (outcome.succeeded())
                    finished(Result<Styled>(Styled{*outcome.style, outcome.missing}));
                else if (outcome.error == FolderStyler::programEnding)
                    finished(std::nullopt);
                else
                    finished(Result<Styled>::failure(outcome.error));
            },
            std::chrono::seconds(10));
    };
    // Every outcome, the refusals included, is delivered before `finish` returns.
    return Styling{start, [&styler] { styler.finish(); }};
}

int SmartPaintOnce::paint(const QStringList& folders, const Styling& styling, ColorizationHistoryStore& history)
{
    if (folders.isEmpty()) {
        log::warning(QStringLiteral("No folders found."));
        return noneFound;
    }
    QEventLoop loop;
    TerminationSignals termination;
    bool stopped = false;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, [&stopped, &styling] {
        if (!std::exchange(stopped, true))
            styling.stop();
    });

    history.beginBatch();
    qsizetype answered = 0;
    bool failed = false;
    styling.start(folders, [&](const Outcome& outcome) {
        const Result<Styled> result =
            outcome.value_or(Result<Styled>::failure(QStringLiteral("the program was asked to end")));
        failed |= !result || !result->missing.isEmpty();
        log::answer(line(folders[answered], result));
        if (++answered == folders.size())
            loop.quit();
    });
    // The outcomes, a termination signal and the history's timed writes arrive through the event loop.
    if (answered < folders.size())
        loop.exec();
    history.endBatch();
    return failed ? someFailed : allStyled;
}

QString SmartPaintOnce::line(const QString& folderPath, const Result<Styled>& outcome)
{
    if (!outcome)
        return folderPath + QStringLiteral(": not styled: ") + outcome.error();
    const QString shown = folderPath + QStringLiteral(": ") + glyph(outcome->style.icon);
    return outcome->missing.isEmpty() ? shown : shown + QStringLiteral(" (") + outcome->missing + u')';
}

} // namespace pigmo
