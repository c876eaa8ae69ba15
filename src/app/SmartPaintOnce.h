#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace pigmo {

class ColorizationHistoryStore;
class FolderStyling;

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
    // The whole run, in a process that has no application object yet: makes its own on Qt's offscreen
    // platform, which still has the fonts and colour emoji the icons are drawn with. Ends the process with
    // the exit status, at least `leastStatus`, once everything is written, without destroying the objects
    // it made.
    [[noreturn]] static void run(int argc, char** argv, const QStringList& folders, int leastStatus = allStyled);

    // Styles `folders` by name through `styling` inside a running application, on its thread, as one batch
    // of `history` (written at the end, and every two seconds while it runs), and answers one line per folder
    // in the folders' order as soon as its outcome arrives. SIGTERM or SIGINT finish `styling`: the folder
    // being written finishes, the folders after it are reported as not styled. Returns the exit status:
    // `someFailed` also when a folder's icon is not shown everywhere, and when the history cannot be written
    // (a full disk: said on standard error).
    static int paint(const QStringList& folders, FolderStyling& styling, ColorizationHistoryStore& history);

    // The line reported for one folder.
    static QString line(const QString& folderPath, const Result<Styled>& outcome);
};

} // namespace pigmo
