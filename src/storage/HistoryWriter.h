#pragma once

#include "base/SerialQueue.h"
#include "base/ThreadSafety.h"
#include "storage/FolderStylesFile.h"
#include "storage/HistoryFiles.h"
#include "storage/HistoryLogEntry.h"
#include "storage/HistoryLogFile.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <span>

namespace pigmo {

// The writing half of the history store: writes "history_log.json" and "folder_styles.json" whole, under the
// directory's lock, on the calling thread or on a thread of its own (`post`), in the order it is handed the
// work. What a write fails to put on disk stays here and is written again by the next write of that file.
//
// Each write keeps what other processes wrote since the store read the file: the loaded log is written whole
// only while the file is the one it was read from or this writer last wrote (it is "in step"), else the
// entries are appended to the file as it is; the styles are written as the store holds them while the file is
// in step, else the file is read again and only the store's own changes are made over it. A file that cannot
// be read is moved aside before anything is written over it, and never overwritten while it cannot be.
//
// Threads: `post`, `waitForWrites`, `idle` and `somethingUnsaved` from any thread; every other member only
// on the writer thread (in a posted task) or on the owner's thread while no task runs (after
// `waitForWrites`).
class HistoryWriter {
public:
    // Styles set, or removed (nothing), by the store, by folder.
    using StyleChanges = QMap<QString, std::optional<ColorizationData>>;

    // The entries to append and, when the store holds the loaded log, its text with them. `readAs`: the
    // identity of the file the loaded log was (again) read from.
    struct LogWrite {
        QList<HistoryLogEntry> entries;
        std::optional<Result<QByteArray>> loadedText;
        std::optional<FileIdentity> readAs;
    };
    // The store's changes since the last write and its current styles as text. `readAs`: the identity of
    // the file the current styles were (again) read from.
    struct StylesWrite {
        StyleChanges changes;
        Result<StylesText> text;
        std::optional<FileIdentity> readAs;
    };
    // What a write merged with another process's styles wrote, for the store to take in as its current
    // styles.
    struct MergedStyles {
        DecodedStyles styles; // as written, `encodeStyles`' members included
        FileIdentity identity;
    };

    explicit HistoryWriter(const QString& directory);
    // Waits for the posted tasks.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    const HistoryFiles& files() const { return files_; }

    // Runs `task` on the writer thread after every task posted before it.
    void post(std::function<void()> task);
    // Blocks until every posted task has ended.
    void waitForWrites();
    // True when no posted task is left.
    bool idle();

    // The writes themselves. Each takes what it is handed into what is not on disk yet and writes all of it;
    // a failure is said once and remembered for `writtenState()`.
    void writeLog(LogWrite write);
    void writeStyles(StylesWrite write);
    // A flush's writes hold the lock for both files, from the log's write to the styles' end.
    void holdLockForFlush();
    void releaseFlushLock();

    // A batch's long files are written ahead while it runs (see HistoryFiles::Draft), so that its end adds
    // only what it recorded; shorter ones are written whole at its end, as starting them early would cost a
    // sync more than it saves.
    static constexpr qsizetype draftThreshold = 64 * 1024;
    // Posts reading and checking the log file once for a batch's appends, and writing it ahead.
    void readLogAhead();
    // Posts writing the start of the batch's next styles file ahead (the store's styles before the first folder
    // it records).
    void draftStyles(StylesText start);
    // The log file as last read or written is forgotten: outside a batch every append reads the file again.
    void forgetKnownLog() { knownLog_.reset(); }

    // A failure, with the error of the last write that failed, while something handed to a write is not on
    // disk.
    Done writtenState() const;
    bool allSaved() const { return unsavedEntries_.isEmpty() && unsavedStyles_.isEmpty(); }
    // Set while anything is unsaved, so that the next flush writes it even with nothing new.
    bool somethingUnsaved() const { return somethingUnsaved_; }
    // Handed to a write and not on disk yet, written again by the next write.
    const QList<HistoryLogEntry>& unsavedEntries() const { return unsavedEntries_; }
    const StyleChanges& unsavedStyles() const { return unsavedStyles_; }
    // What the last merge wrote, once.
    std::unique_ptr<MergedStyles> takeMergedStyles() { return std::move(mergedStyles_); }

    // After a failed load: waits for the posted tasks, then moves the file aside now, or marks it to be moved
    // before any write over it.
    void preserveAfterFailedLoad(const QString& name);

private:
    struct StylesDraft;

    Done writeLogLocked(const std::optional<Result<QByteArray>>& loadedText, QString& prefix);
    Done writeStylesLocked(const Result<StylesText>& text, std::unique_ptr<StylesDraft> drafted);
    Done writeOwnStyles(const StylesText& text, std::unique_ptr<StylesDraft> drafted);
    Done writeMergedStyles(DecodedStyles merged);
    std::optional<QByteArray> logTextToAppendTo(QString& prefix, std::optional<HistoryFiles::Draft>& draft);
    // Writes a whole file, its text in pieces; the caller holds the lock. Refuses while an unreadable file
    // could not be moved aside.
    Done writeHeld(const QString& name, std::span<const QByteArrayView> pieces,
                   std::optional<HistoryFiles::Draft> draft = std::nullopt);
    // The lock, or a stand-in while a flush holds it already (the lock is not reentrant).
    HistoryFiles::Lock lockUnlessHeld() const;
    void keepUnsaved(const QString& prefix, const QString& error);
    void forgetFailureWhenAllSaved();
    // Moves an unreadable file aside (the caller holds the lock) and logs what happened.
    bool preserveUnreadable(const QString& name);
    bool isStuck(const QString& name) const;
    void markStuck(const QString& name, bool stuck);

    HistoryFiles files_;
    std::optional<HistoryFiles::Lock> flushLock_;
    std::optional<KnownLog> knownLog_;         // the log file as last read or written in a batch
    std::unique_ptr<StylesDraft> stylesDraft_; // the start of the batch's next write of the styles file
    QList<HistoryLogEntry> unsavedEntries_;
    StyleChanges unsavedStyles_;
    QString writeError_;         // why the last write that failed did, while anything is unsaved
    QSet<QString> failuresSaid_; // the lines said about failed writes, while anything is unsaved
    std::atomic<bool> somethingUnsaved_{false};
    // The identity of each file while it holds what the store holds (the loaded log; the current styles) but
    // for what is unsaved; nothing when it may hold what another process wrote and the store lacks.
    std::optional<FileIdentity> logInStep_;
    std::optional<FileIdentity> stylesInStep_;
    std::unique_ptr<MergedStyles> mergedStyles_;
    // Unreadable files whose move aside failed: never overwritten. Under a lock of its own, as a failed load
    // marks a file from the owner's thread.
    mutable Mutex stuckMutex_;
    QSet<QString> stuckUnreadable_ PIGMO_GUARDED_BY(stuckMutex_);

    // Last, so that it is stopped before any member its tasks use goes.
    SerialQueue thread_{"history.writer"};
};

} // namespace pigmo
