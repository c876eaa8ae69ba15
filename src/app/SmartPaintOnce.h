#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace pigmo {

class ColorizationHistoryStore;
class FolderStyler;

// `pigmo2 --smart FOLDER...` when no Pigmo 2 runs: styles the folders as one batch, each with the smart
// style, through the folder styler (which records each styled folder in the history), writes one line per
// folder on standard output ("FOLDER: GLYPH", "FOLDER: GLYPH (not shown by ...: WHY)" when this session
// lacks a place of the icon, or "FOLDER: not styled: REASON") and ends. No window is made and no display is
// needed.
class SmartPaintOnce {
public:
    // The exit statuses.
    static constexpr int allStyled = 0;
    static constexpr int noneFound = 1;
    static constexpr int someFailed = 2;

    // A folder styled: its style, and what keeps its icon from being shown everywhere (empty: nothing).
    struct Styled {
        ColorizationData style;
        QString missing;
    };
    // One folder's outcome: the style applied, or why not; nothing when the run was asked to end before the
    // folder was styled.
    using Outcome = std::optional<Result<Styled>>;
    using FolderFinished = std::function<void(const Outcome& outcome)>;

    // What styles a run's folders.
    struct Styling {
        // Starts styling `folders` completely (icon set, attribute written, history recorded), in order, as
        // one batch whose sibling scans are shared (each parent listed once, each folder styled counting for
        // the next). `finished` runs on the calling thread once per folder, in the folders' order, as each
        // outcome arrives.
        std::function<void(const QStringList& folders, FolderFinished finished)> start;
        // Called at most once, when a termination signal arrives: the folder being written finishes, and the
        // folders after it are not styled (their outcome is nothing). Their `finished` calls still come.
        std::function<void()> stop;
    };

    // Styling through `styler`'s pipeline, one batch for the whole run. Stopping finishes the styler, which
    // takes no further request afterwards.
    static Styling through(FolderStyler& styler);

    // The whole run, in a process that has no application object yet: makes its own on Qt's offscreen
    // platform, which still has the fonts and colour emoji the icons are drawn with. Ends the process with
    // the exit status, at least `leastStatus`, once everything is written, without destroying the objects
    // it made.
    [[noreturn]] static void run(int argc, char** argv, const QStringList& folders, int leastStatus = allStyled);

    // Styles `folders` through `styling` inside a running application, on its thread, as one batch of
    // `history` (written at the end, and every two seconds while it runs), and answers one line per folder in
    // the folders' order as soon as its outcome arrives. SIGTERM or SIGINT let the folder being written
    // finish; the folders after it are reported as not styled. Returns the exit status: `someFailed` also
    // when a folder's icon is not shown everywhere.
    static int paint(const QStringList& folders, const Styling& styling, ColorizationHistoryStore& history);

    // The line reported for one folder.
    static QString line(const QString& folderPath, const Result<Styled>& outcome);
};

} // namespace pigmo
