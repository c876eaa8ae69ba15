#pragma once

#include "base/Executors.h"
#include "base/Folder.h"
#include "base/ThreadSafety.h"
#include "model/ColorizationData.h"
#include "services/FolderStyling.h"
#include "smart/SmartSiblingAnalysis.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/StylingJournal.h"

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

namespace pigmo {

class ExtendedAttributesManager;
class SmartIconService;

// The one writer of folder styles. Every write (a rendered style applied, a style removed, a folder styled
// by its name and siblings) runs on the executors' serial icon queue, so two writes to one folder never
// overlap and writes happen in submission order. A folder is styled when its icon is set in every place
// (see FolderIcons) and its attribute is written; when either fails, the icon is taken back and the folder
// is left as it was. The attribute is removed only when the icon was removed. The history is then updated
// on the thread that owns the styler (the GUI thread), before the caller's completion runs there and before
// `folderFinished` is emitted, once per request; only a styled folder is recorded.
//
// Each style is entered in this process's StylingJournal (synced) before the folder's icon is written, and
// its end after; the journal goes once the history files hold every styled folder's record. A styler, when
// made, settles the journals that killed processes left (on its queue, before any request): a folder whose
// attribute and icon show the journaled style gets its record (unless the history has it), any other has
// its icon entries put back as they were.
//
// A style applied is drawn and PNG-encoded on the executors' CPU pool (the drawing pool) while the requests
// before it are written, at most `appliesDrawnAtOnce` at a time, in the order they were asked for. A batch styled by
// name is a pipeline. On the icon queue, in the batch's order, each folder's style is proposed a few folders ahead of
// the one being written (counting the styles proposed before it as applied); its image is drawn, PNG-encoded and put in
// the icon store (synced, named by nothing yet) on the drawing pool (at most `drawingAhead` images in flight). The
// writes (gvfs key, .directory, attribute) stay on the icon queue, one folder after the other in the batch's order,
// each finishing before the next starts. When a folder is not styled after all (its drawing or writing
// failed, or the program is ending), the styles proposed after it are dropped and proposed again, so every
// folder sees the siblings a one-by-one run would show; the PNGs stored for what was not written are
// deleted again.
//
// Lives on the GUI thread. Destroying it finishes as `finish()` does.
class FolderStyler : public QObject, public FolderStyling {
    Q_OBJECT

public:
    // How many folders of a batch are proposed and drawn ahead of the one being written, itself included.
    static constexpr int drawingAhead = 4;
    // How many styles applied are drawn at once. Few, so that a hundred folders applied together leave most
    // cores to the GUI thread, whose painting itself runs on Qt's own worker threads.
    static constexpr int appliesDrawnAtOnce = 2;

    // The executors, the stores and the keyword index (which proposes glyphs by name) must outlive the styler.
    FolderStyler(Executors& executors, ColorizationHistoryStore& history, const ExtendedAttributesManager& attributes,
                 SmartIconService& smartIcons, QObject* parent = nullptr);
    ~FolderStyler() override;

    // The icon the folder shows in the file managers now; null when it shows the theme's folder icon.
    static QImage shownIcon(const QString& folderPath);

    // Draws `style` (on the drawing pool), sets the picture as the folder's icon and records `style`.
    void apply(const Folder& folder, const ColorizationData& style, Completion completion = {});
    // Removes the folder's icon, its attribute and its current history style.
    void remove(const Folder& folder, Completion completion = {});
    // As `FolderStyling::styleByName`. The folders are one batch: their sibling scans are shared (each parent
    // listed once, each folder styled counting for the next) and their history recordings reach the disk
    // together once the last one ended.
    void styleByName(const QList<Folder>& folders, const QString& logPrefix, Completion completion = {},
                     std::chrono::milliseconds indexWait = defaultIndexWait) override
    {
        styleByName(folders, logPrefix, std::move(completion), indexWait, nullptr);
    }
    // The same with the caller's scans, which the caller keeps alive and leaves alone until this folder's
    // completion ran (a run that waits for each folder in turn).
    void styleByName(const QList<Folder>& folders, const QString& logPrefix, Completion completion,
                     std::chrono::milliseconds indexWait, SmartSiblingAnalysis::Batch* siblings);
    void styleByName(const Folder& folder, const QString& logPrefix, Completion completion = {},
                     std::chrono::milliseconds indexWait = defaultIndexWait)
    {
        styleByName(QList<Folder>{folder}, logPrefix, std::move(completion), indexWait, nullptr);
    }

    // Reads the icons the folders show now (a null image where none can be read), in order, on the icon queue:
    // after every request made before and before any made after. `done` runs on the styler's thread; not at
    // all when the styler finished first.
    void readIcons(const QStringList& folderPaths, std::function<void(const QList<QImage>& icons)> done);

    // While the guard lives, the history recordings of the requests that end stay in memory: they reach the
    // disk when it goes, and at most `ColorizationHistoryStore::batchWriteInterval` apart meanwhile. Many
    // folders written at once then cost the styler's thread no file write each. Styler's thread only.
    std::unique_ptr<ColorizationHistoryStore::ScopedBatch> historyBatch()
    {
        return std::make_unique<ColorizationHistoryStore::ScopedBatch>(history_);
    }

    // Takes no further request: those still queued end at once as failures ("the program is ending"), the
    // one being written finishes, and every outcome is delivered (history, completion, signal) before this
    // returns. Used when the program ends. Idempotent.
    void finish() override;
    // Blocks until the queue is empty and delivers the outcomes waiting for this thread (tests, benchmarks);
    // removes the journal when the history files hold what it protected.
    void waitForIdle();

Q_SIGNALS:
    // After a request ended and the history followed it; on the styler's thread.
    void folderFinished(const pigmo::FolderStyling::Outcome& outcome);

private:
    using Work = std::function<Outcome()>;
    void submit(const Folder& folder, Operation operation, Work work, Completion completion);
    // Runs `drawing` on the drawing pool once fewer than `appliesDrawnAtOnce` drawings of applies run.
    void startDrawing(std::function<void()> drawing) PIGMO_EXCLUDES(waitingDrawsMutex_);
    // On the drawing pool: runs the waiting drawings until none is left.
    void drawWaiting() PIGMO_EXCLUDES(waitingDrawsMutex_);
    void deliver(const Outcome& outcome, const Completion& completion);
    struct Drawn;
    static Drawn draw(const ColorizationData& style);
    Outcome setIcon(const Folder& folder, const Drawn& drawn, const ColorizationData& style);
    // An intent entered in the journal ahead of its write, with what it was entered with.
    struct Journaled;
    // Journals the folder's intent, then stores its PNG; nothing when either fails (the intent then ended).
    std::optional<Journaled> journalAhead(const QString& path, const ColorizationData& style, const QByteArray& png);
    // Sets the icon and writes the attribute, journaled (by `ahead` when it still holds), or leaves the folder
    // as it was.
    Outcome write(const Folder& folder, Operation operation, const QImage& image, const QByteArray& png,
                  const ColorizationData& style, const std::optional<Journaled>& ahead);
    void discardJournalIfWritten();
    struct Settlement;
    void settleLeftJournals();
    std::shared_ptr<Settlement> settle(std::vector<StylingJournal::Left> left) const;
    void recordSettlement(Settlement& settlement);
    Outcome removeIcon(const Folder& folder) const;
    struct Proposal;
    struct Pipeline;
    void proposeAhead(Pipeline& pipeline);
    Outcome styleNext(Pipeline& pipeline);
    Outcome styleFromProposal(const Folder& folder, Proposal& proposal, const QString& logPrefix);

    ColorizationHistoryStore& history_;
    const ExtendedAttributesManager& attributes_;
    SmartIconService& smartIcons_;
    StylingJournal journal_;
    quint64 journaledRecords_ = 0; // the history's record count after the last journaled record
    TaskGroup queue_;              // the styler's tasks on the icon queue
    TaskGroup drawing_;            // draws and encodes the images of batches ahead of the queue, on the CPU pool
    // The drawings of applies waiting for one of their `appliesDrawnAtOnce` places on the drawing pool.
    Mutex waitingDrawsMutex_;
    std::deque<std::function<void()>> waitingDraws_ PIGMO_GUARDED_BY(waitingDrawsMutex_);
    int drawsRunning_ PIGMO_GUARDED_BY(waitingDrawsMutex_) = 0;
    std::atomic<bool> finishing_{false};
};

} // namespace pigmo

Q_DECLARE_METATYPE(pigmo::FolderStyling::Outcome)
