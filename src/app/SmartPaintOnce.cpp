#include "app/SmartPaintOnce.h"

#include "app/AppServices.h"
#include "app/TerminationSignals.h"
#include "base/Log.h"
#include "platform/Product.h"
#include "services/FolderStyler.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

#include <QEventLoop>
#include <QGuiApplication>

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

int SmartPaintOnce::run(int argc, char** argv, const QStringList& folders)
{
    // No window system is reached: neither an X11 nor a Wayland connection is tried, whatever the
    // environment names.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication application(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(product::executableName));
    QCoreApplication::setApplicationVersion(product::version());

    StylingServices services;
    // The keyword index builds on its own thread while the history migrates and the first folder is scanned.
    services.smartIcons().buildIndexIfNeeded();
    // As at every start: old history first, so that it never overwrites what this run records.
    services.history().migrateLegacyHistoryIfNeeded();
    return paint(folders, through(services.styler()), services.history(), services.attributes());
}

SmartPaintOnce::StyleFolder SmartPaintOnce::through(FolderStyler& styler)
{
    return [&styler](const QString& path, SmartSiblingAnalysis::Batch& siblings) {
        std::optional<FolderStyler::Outcome> outcome;
        QEventLoop loop;
        styler.styleByName(
            Folder::unchecked(path), QStringLiteral("[Smart] "),
            [&outcome, &loop](const FolderStyler::Outcome& finished) {
                outcome = finished;
                loop.quit();
            },
            std::chrono::seconds(10), &siblings);
        if (!outcome)
            loop.exec();
        if (!outcome->succeeded())
            return Result<ColorizationData>::failure(outcome->error);
        return Result<ColorizationData>(*outcome->style);
    };
}

int SmartPaintOnce::paint(const QStringList& folders, const StyleFolder& style, ColorizationHistoryStore& history,
                          const ExtendedAttributesManager& attributes)
{
    if (folders.isEmpty()) {
        log::warning(QStringLiteral("No folders found."));
        return noneFound;
    }
    TerminationSignals termination;
    bool stopped = false;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, [&stopped] { stopped = true; });

    history.beginBatch();
    SmartSiblingAnalysis::Batch siblings(attributes);
    bool failed = false;
    for (const QString& path : folders) {
        // A termination signal, and the history's timed writes, arrive through the event loop.
        QCoreApplication::processEvents();
        const Result<ColorizationData> outcome =
            stopped ? Result<ColorizationData>::failure(QStringLiteral("the program was asked to end"))
                    : style(path, siblings);
        failed |= !outcome;
        log::answer(line(path, outcome));
    }
    history.endBatch();
    return failed ? someFailed : allStyled;
}

QString SmartPaintOnce::line(const QString& folderPath, const Result<ColorizationData>& outcome)
{
    if (!outcome)
        return folderPath + QStringLiteral(": not styled: ") + outcome.error();
    return folderPath + QStringLiteral(": ") + glyph(outcome->icon);
}

} // namespace pigmo
