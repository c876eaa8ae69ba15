#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"
#include "smart/SmartSiblingAnalysis.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace pigmo {

class ColorizationHistoryStore;
class ExtendedAttributesManager;
class FolderStyler;

// `pigmo2 --smart FOLDER...` when no Pigmo 2 runs: styles the folders one after the other, each with the
// smart style through the folder styler (which records each styled folder in the history), writes one line
// per folder on standard output ("FOLDER: GLYPH", or "FOLDER: not styled: REASON") and ends. No window is
// made and no display is needed.
class SmartPaintOnce {
public:
    // The exit statuses.
    static constexpr int allStyled = 0;
    static constexpr int noneFound = 1;
    static constexpr int someFailed = 2;

    // Styles one folder completely (icon set, attribute written, history recorded, the style remembered in
    // the run's sibling scans): the style applied, or why not.
    using StyleFolder =
        std::function<Result<ColorizationData>(const QString& folderPath, SmartSiblingAnalysis::Batch& siblings)>;

    // Styling through `styler`, waiting in a local event loop for each folder's outcome.
    static StyleFolder through(FolderStyler& styler);

    // The whole run, in a process that has no application object yet: makes its own on Qt's offscreen
    // platform, which still has the fonts and colour emoji the icons are drawn with. Ends the process with
    // the exit status once everything is written, without destroying the objects it made.
    [[noreturn]] static void run(int argc, char** argv, const QStringList& folders);

    // Styles `folders` in order with `style` inside a running application, on its thread, as one batch: each
    // parent listed once (siblings' styles read through `attributes`), `history` written at the end (and every
    // two seconds while it runs). SIGTERM or SIGINT let the folder being styled finish; the folders after it
    // are reported as not styled. Returns the exit status.
    static int paint(const QStringList& folders, const StyleFolder& style, ColorizationHistoryStore& history,
                     const ExtendedAttributesManager& attributes);

    // The line reported for one folder.
    static QString line(const QString& folderPath, const Result<ColorizationData>& outcome);
};

} // namespace pigmo
