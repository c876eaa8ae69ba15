#include "app/SmartPaintOnce.h"

#include "app/AppServices.h"
#include "app/TerminationSignals.h"
#include "base/Log.h"
#include "base/Product.h"
#include "platform/FolderIcons.h"
#include "render/ColorizationService.h"
#include "services/FolderStyler.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/LegacyHistoryMigration.h"

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

QList<Folder> asFolders(const QStringList& paths)
{
    QList<Folder> folders;
    folders.reserve(paths.size());
    for (const QString& path : paths)
        folders.append(Folder::unchecked(path));
    return folders;
}

// A folder refused because the run was asked to end says so.
Result<SmartPaintOnce::Styled> resultOf(const FolderStyling::Outcome& outcome)
{
    if (outcome.succeeded())
        return SmartPaintOnce::Styled{*outcome.style, outcome.missing};
    if (outcome.error == FolderStyling::programEnding)
        return Result<SmartPaintOnce::Styled>::failure(QStringLiteral("the program was asked to end"));
    return Result<SmartPaintOnce::Styled>::failure(outcome.error);
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
    migrateLegacyHistoryIfNeeded(services->history());
    const int status = paint(folders, services->styler(), services->history());
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

int SmartPaintOnce::paint(const QStringList& folders, FolderStyling& styling, ColorizationHistoryStore& history)
{
    if (folders.isEmpty()) {
        log::warning(QStringLiteral("No folders found."));
        return noneFound;
    }
    QEventLoop loop;
    TerminationSignals termination;
    bool stopped = false;
    // Every outcome, the refusals included, is delivered before `finish` returns.
    QObject::connect(&termination, &TerminationSignals::terminationRequested, [&stopped, &styling] {
        if (!std::exchange(stopped, true))
            styling.finish();
    });

    history.beginBatch();
    qsizetype answered = 0;
    bool failed = false;
    styling.styleByName(
        asFolders(folders), QStringLiteral("[Smart] "),
        [&](const FolderStyling::Outcome& outcome) {
            const Result<Styled> result = resultOf(outcome);
            failed |= !result || !result->missing.isEmpty();
            log::answer(line(folders[answered], result));
            if (++answered == folders.size())
                loop.quit();
        },
        std::chrono::seconds(10));
    // The outcomes, a termination signal and the history's timed writes arrive through the event loop.
    if (answered < folders.size())
        loop.exec();
    history.endBatch();
    if (!history.written()) { // said why on standard error; the styling journal keeps the records
        log::warning(QStringLiteral(
            "The history could not be written: the folders styled above are recorded at the next start."));
        return someFailed;
    }
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
