#pragma once

#include "base/Folder.h"
#include "model/ColorizationData.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace pigmo {

// What styles folders by their name and their siblings: the folder watcher and the windowless `--smart` run
// hand their folders to it. The folder styler is the program's one; tests put a stand-in in its place where
// the real writes are beside the point.
class FolderStyling {
public:
    enum class Operation { apply, remove, styleByName };

    // What one request did.
    struct Outcome {
        Folder folder;
        Operation operation = Operation::apply;
        std::optional<ColorizationData> style; // the style applied (apply, styleByName)
        QString error;                         // empty on success: why the folder was not changed
        // On success, what this session lacks to show the icon everywhere ("not shown by GNOME file
        // managers: no session bus"), or empty.
        QString missing;
        QDateTime recordTime;   // the time its history record carries (apply, styleByName)
        bool journaled = false; // ended in the journal as styled

        bool succeeded() const { return error.isEmpty(); }
    };
    using Completion = std::function<void(const Outcome&)>;

    // The error of a request refused because styling finished: "the program is ending".
    static inline const QString programEnding = QStringLiteral("the program is ending");
    // How long a folder styled by name waits for the keyword index before it goes without a glyph.
    static constexpr std::chrono::milliseconds defaultIndexWait{10000};

    virtual ~FolderStyling() = default;

    // Proposes each folder's style from its name and its styled siblings (waiting at most `indexWait` for the
    // keyword index), renders it and applies it (icon, attribute, history), in order, as one batch whose
    // sibling scans are shared (each folder styled counting for the next). `completion` runs on the calling
    // thread once per folder, in the folders' order, as each outcome arrives. Log lines start with
    // `logPrefix`. Never blocks.
    virtual void styleByName(const QList<Folder>& folders, const QString& logPrefix, Completion completion = {},
                             std::chrono::milliseconds indexWait = defaultIndexWait) = 0;
    // Takes no further request: those still queued end as failures (`programEnding`), the folder being written
    // finishes, and every outcome is delivered before this returns. Idempotent.
    virtual void finish() = 0;

protected:
    FolderStyling() = default;
    FolderStyling(const FolderStyling&) = default;
    FolderStyling& operator=(const FolderStyling&) = default;
};

} // namespace pigmo
