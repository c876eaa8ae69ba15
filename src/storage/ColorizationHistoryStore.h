#pragma once

#include "model/ColorizationData.h"
#include "storage/FolderStylesFile.h"
#include "storage/HistoryFiles.h"
#include "storage/HistoryLogEntry.h"
#include "storage/HistoryLogFile.h"

#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace pigmo {

// The program's memory of what it did to folders, in two JSON files in
// $XDG_DATA_HOME/io.velmar.pigmo2: "history_log.json" (every applied style, oldest first) and
// "folder_styles.json" (the current style of each folder path). The styles are loaded on construction
// (see `StylesLoad`), the log only on `loadChronologicalLog()`; until then `record` appends to the file alone.
//
// Styling many folders at once runs as a batch (`beginBatch()` ... `endBatch()`): `record` then keeps its
// work in memory, and the files are written when the last open batch ends, `batchWriteInterval` after the
// first change not yet written while a batch runs, and on `flush()` (the program calls it when it ends,
// SIGTERM included). A batch killed outright loses at most that interval of history. The writes a batch
// makes while it runs, and those of a batch ended with `Write::inBackground`, run on the store's writer
// thread, so that styling many folders costs this thread no file write; every other file operation first
// waits for them, so the files always change in the order the work was done.
//
// Confined to the thread it lives on (the GUI thread): every call, and every file operation but the writer
// thread's, runs there, synchronously. No operation throws; a failure is said once on standard error, and
// `written()` tells whether anything recorded is still not on disk. A write that fails (a full disk) leaves
// the file as it was and keeps what it held, which the next write writes again; `writtenRecordCount()` waits
// for that write. Files are written whole and
// atomically under a lock shared with other processes, and each write keeps what other processes wrote since
// this store read the file: the log their entries, the styles file their styles, with this store's own changes
// (a style set or removed) made over them. A file that cannot be read is moved aside to
// "<name>.corrupt-<UTC time>" before anything is written over it, so no history is silently lost.
class ColorizationHistoryStore : public QObject {
    Q_OBJECT

public:
    struct StyledFolder {
        QString name;
        QString path;
        ColorizationData data;
    };
    struct FolderGroup {
        QString parentPath;
        QList<StyledFolder> folders;
    };

    static inline const QString logFileName = QStringLiteral("history_log.json");
    static inline const QString stylesFileName = QStringLiteral("folder_styles.json");

    // How the constructor loads the current styles: before it returns, or read and decoded on a thread of
    // their own and taken in by the first call that needs them (which waits for the rest of the load), so
    // that what the caller does first overlaps the load. Either way a file that cannot be read is refused,
    // said so, and moved aside before anything is written over it: when taken in, for a background load.
    enum class StylesLoad { now, inBackground };
    // Loads the current styles now.
    explicit ColorizationHistoryStore(QObject* parent = nullptr);
    explicit ColorizationHistoryStore(StylesLoad load, QObject* parent = nullptr);
    // Waits for the writer thread.
    ~ColorizationHistoryStore() override;

    const QList<HistoryLogEntry>& chronologicalLog() const { return chronologicalLog_; }
    bool chronologicalLogLoaded() const { return chronologicalLogLoaded_; }
    // Takes in a background load of the styles first.
    const QMap<QString, ColorizationData>& folderStyles() const;
    // False only while a background load of the styles has not been taken in.
    bool folderStylesLoaded() const { return !stylesLoad_; }

    // Forgets a folder's current style in memory (also one only another process recorded, which the next
    // write of the styles then removes from the file); the caller saves with `saveFolderStyles()`.
    void removeFolderStyle(const QString& folderPath);

    // Created (with its parents) when missing.
    QString storageDirectory() const;

    // Appends one applied style to the log and makes it the folder's current style. A style with a
    // non-finite number is refused whole. Outside a batch both files are written at once.
    void record(const QString& folderPath, const ColorizationData& data);
    // The same with the entry's own time.
    void record(const HistoryLogEntry& entry);
    // How many records this store has made, and how many of the first of them are known to be written to
    // both files (a write that failed holds the count back until a later write succeeds). Any thread for
    // the second.
    quint64 recordCount() const { return recordCount_; }
    quint64 writtenRecordCount() const { return writtenRecords_; }

    static constexpr std::chrono::milliseconds batchWriteInterval{2000};
    // Batches nest; the files are written when the outermost one ends: before `endBatch` returns, or with
    // `Write::inBackground` on the writer thread (`waitForWrites` waits for them).
    enum class Write { now, inBackground };
    void beginBatch();
    void endBatch(Write write = Write::now);
    // Blocks until every write handed to the writer thread is done.
    void waitForWrites();
    // A batch that ends, writing in the background, when this guard goes (or never, when the store went
    // first). Owner thread only.
    class ScopedBatch {
    public:
        explicit ScopedBatch(ColorizationHistoryStore& store);
        ~ScopedBatch();
        ScopedBatch(const ScopedBatch&) = delete;
        ScopedBatch& operator=(const ScopedBatch&) = delete;

    private:
        QPointer<ColorizationHistoryStore> store_;
    };
    // Writes now whatever a batch recorded and has not written yet, after the writer thread's writes.
    void flush();
    // Waits for the writes handed over. A failure, with the error of the last write that failed, while
    // something recorded is not on disk: it is kept in memory and written again with the next write.
    Done written();
    // Runs `then` on this thread, with what `written()` would answer, once every write handed over so far has
    // ended (through the event loop; nothing runs when `receiver` is gone by then).
    void whenWritten(QObject* receiver, std::function<void(const Done&)> then);
    // The current styles grouped by parent folder; groups and folders sorted by the locale's
    // case-insensitive order (ties keep the order of the paths' code points).
    QList<FolderGroup> groupedFolderStyles() const;

    void loadChronologicalLog();
    // The same load with the file read and decoded on a worker thread; the entries are published on the
    // store's thread (`chronologicalLogChanged`, also for a missing or unreadable file), and
    // `chronologicalLogLoaded()` is already true when that signal arrives. Does nothing
    // when the log is loaded or such a load is under way. When an entry is recorded while the file is read,
    // the read starts again, so the published log never misses it.
    void loadChronologicalLogInBackground();
    bool isLoadingChronologicalLog() const { return logLoadWatcher_ != nullptr; }
    // Writes the entries not written yet to the log file.
    void saveChronologicalLog();
    void loadFolderStyles();
    void saveFolderStyles();

Q_SIGNALS:
    void chronologicalLogChanged();
    void folderStylesChanged();
    // `writtenRecordCount()` grew.
    void recordsWritten();

private:
    // Takes the legacy records in as this store's own work.
    friend void migrateLegacyHistoryIfNeeded(ColorizationHistoryStore& store);

    // Styles set, or removed (nothing), by this store, by folder.
    using StyleChanges = QMap<QString, std::optional<ColorizationData>>;
    struct MergedStyles; // what a write of the styles merged with another process's (defined with the code)
    struct StylesDraft;  // the start of a write of the styles file, written ahead (defined with the code)

    // Hands what a batch recorded and has not written yet to the writer thread; `endsBatch`: the last write of
    // the outermost batch.
    void flushInBackground(bool endsBatch);
    // The loaded log's text (encoded again when it has to be).
    Result<QByteArray> loadedLogText();
    // Writes the entries not written yet on this thread, after the writer thread's writes.
    void writeLogNow();
    // The writes themselves: on this thread with no write pending, or on the writer thread. Each takes what
    // it is handed into what is not on disk yet (`unsavedEntries_`, `unsavedStyles_`) and writes all of it.
    // `loadedText`: the loaded log's text, holding every entry recorded; `stylesText`: the current styles.
    // `readAs`: the identity of the file the loaded log or the current styles were (again) read from.
    void writeLog(const QList<HistoryLogEntry>& entries, const std::optional<Result<QByteArray>>& loadedText,
                  std::optional<FileIdentity> readAs);
    void writeStyles(const StyleChanges& changes, const Result<StylesText>& stylesText,
                     std::optional<FileIdentity> readAs);
    // Under the lock: the loaded log whole while the file is the one it was read from (but for what this
    // store wrote since), else the unsaved entries appended to the file as it is.
    Done writeLogLocked(const std::optional<Result<QByteArray>>& loadedText, QString& prefix);
    // Under the lock: the current styles while the file is the one they were read from (but for what this
    // store wrote since), else the file as it is with the unsaved changes made over it.
    Done writeStylesLocked(const Result<StylesText>& text, std::unique_ptr<StylesDraft> drafted);
    Done writeOwnStyles(const StylesText& text, std::unique_ptr<StylesDraft> drafted);
    Done writeMergedStyles(DecodedStyles merged);
    // A failed write: said, and remembered for `written()`; what it held stays unsaved.
    void keepUnsaved(const QString& prefix, const QString& error);
    void forgetFailureWhenAllSaved();
    // What `written()` answers; the writer thread, or this thread after `waitForWrites()`.
    Done writtenState() const;
    // Whether every entry and style change handed to a write is on disk. The writer thread, or this thread
    // after `waitForWrites()`.
    bool allSaved() const { return unsavedEntries_.isEmpty() && unsavedStyles_.isEmpty(); }
    // The first `records` records are in both files: `writtenRecordCount()` grows to it.
    void noteRecordsWritten(quint64 records);
    // Makes the current styles those a merge wrote, with this store's changes not on disk yet made over them.
    // The writer thread is idle.
    void takeInMergedStyles();
    void readKnownLog();
    // Takes the log file's bytes (nothing: no file) read as `identity` as the loaded log and announces it;
    // false when nothing was announced (no file, or no log: logged, the file kept aside).
    bool publishLoadedLog(const std::optional<Result<QByteArray>>& bytes, const FileIdentity& identity);
    // The log file's text with the entries appended; what to say on failure goes to `prefix`.
    // `draft` receives what was written of it ahead, if anything.
    std::optional<QByteArray> logTextToAppendTo(QString& prefix, std::optional<HistoryFiles::Draft>& draft);
    // Started on the writer thread when a batch begins (with no wait for the event loop, which a caller
    // may not run until the batch ends), so the batch's writes need not do it: the log file read and checked
    // once, and written ahead. (The styles are written ahead from the batch's first record on: those read
    // from the file are saved as read, a recorded one is encoded when first saved.)
    void prepareBatchWrites();
    // A batch's long files are written ahead while it runs (see HistoryFiles::Draft), so that its end adds
    // only what it recorded; shorter ones are written whole at its end, as starting them early would cost a
    // sync more than it saves.
    static constexpr qsizetype draftThreshold = 64 * 1024;
    void draftStyles(const QString& folderPath);
    // Appends to the loaded log in memory (and to its encoded text) and notifies observers.
    void appendToLoadedLog(const HistoryLogEntry& entry);
    // Writes a whole file, its text in pieces; the caller holds the lock. Refuses while an unreadable file
    // could not be moved aside.
    Done writeHeld(const QString& name, std::span<const QByteArrayView> pieces,
                   std::optional<HistoryFiles::Draft> draft = std::nullopt);
    // The history lock, or a stand-in while a flush holds it already on the writer thread (the lock is not
    // reentrant).
    HistoryFiles::Lock lockUnlessHeld() const;
    bool isStuck(const QString& name) const;
    void markStuck(const QString& name, bool stuck);
    // Moves an unreadable file aside (the caller holds the lock) and logs what happened.
    bool preserveUnreadable(const QString& name);
    // After a failed load: moves the file aside now, or marks it to be moved before any write over it.
    void preserveAfterFailedLoad(const QString& name);
    void assertOwnerThread() const;
    // Takes in a background load of the styles when one is pending, waiting for it to end. Called first by
    // every member that reads or changes the styles.
    void takeInLoadedStyles() const;

    struct PendingStylesLoad; // a background load of the styles file (defined with the store's code)
    void adoptLoadedStyles(PendingStylesLoad& load);
    void takeDecodedStyles(DecodedStyles&& decoded);
    // Decodes the styles a background load kept as read (it checked that they decode).
    void decodeKeptStyles();

    HistoryFiles files_;
    QList<HistoryLogEntry> chronologicalLog_;
    bool chronologicalLogLoaded_ = false;
    quint64 recordCount_ = 0;
    std::atomic<quint64> writtenRecords_{0};
    QFutureWatcher<std::optional<Result<QByteArray>>>* logLoadWatcher_ = nullptr; // the background load
    // The identity of the log file the loaded log was read from, and of the styles file the current styles were
    // (again) read from, handed to the next write of that file.
    std::optional<FileIdentity> logReadAs_;
    std::optional<FileIdentity> stylesReadAs_;

    // The JSON text of chronologicalLog_, kept in step with it so that saving a long log does not encode
    // every entry again; empty when it has to be rebuilt from the entries.
    QByteArray chronologicalLogText_;
    QMap<QString, ColorizationData> folderStyles_;
    // Set while a background load of the styles has not been taken in; `folderStyles_` is empty until then.
    mutable std::unique_ptr<PendingStylesLoad> stylesLoad_;
    // Unreadable files whose move aside failed: never overwritten. Touched by the writer thread's tasks and by
    // this thread, always through `isStuck` and `markStuck`.
    QSet<QString> stuckUnreadable_;
    mutable std::mutex stuckMutex_;

    // The member text ("path":style) of current styles, as read or encoded once, so that saving many styles
    // encodes only the changed ones. Sorted as `folderStyles_`, holding only its folders, but while
    // `stylesUndecoded_`: then the current styles are those of both maps (a folder in both has one style),
    // and those only here are decoded on the first call of `folderStyles()`.
    QMap<QString, StyleMemberText> encodedStyles_;
    bool stylesUndecoded_ = false;

    // The lock a flush takes on the writer thread for both files, from its log's write to its styles' end.
    std::optional<HistoryFiles::Lock> flushLock_;
    int batchDepth_ = 0;
    QTimer batchWriteTimer_;
    // Recorded (and changed) and not handed to a write yet.
    QList<HistoryLogEntry> unwrittenEntries_;
    StyleChanges styleChanges_;
    // The log file as this store last read or wrote it in a batch.
    std::optional<KnownLog> knownLog_;
    // The start of the batch's next write of the styles file (set by a writer thread's task).
    std::unique_ptr<StylesDraft> stylesDraft_;
    // Handed to a write and not on disk yet (its write failed), written again by the next write.
    QList<HistoryLogEntry> unsavedEntries_;
    StyleChanges unsavedStyles_;
    QString writeError_;         // why the last write that failed did, while anything is unsaved
    QSet<QString> failuresSaid_; // the lines said about failed writes, while anything is unsaved
    // Set while anything is unsaved, so that the next flush writes it even with nothing new (read anywhere).
    std::atomic<bool> somethingUnsaved_{false};
    // The identity of each file while it holds what this store holds (the loaded log; the current styles) but
    // for what is unsaved; nothing when it may hold what another process wrote and this store lacks.
    std::optional<FileIdentity> logInStep_;
    std::optional<FileIdentity> stylesInStep_;
    // What the last merge with another process's styles wrote, for this thread to take in.
    std::unique_ptr<MergedStyles> mergedStyles_;

    // One thread; its tasks touch the files, `flushLock_`, `knownLog_`, `stylesDraft_`, the unsaved entries and
    // styles, `writeError_`, `logInStep_`, `stylesInStep_`, `mergedStyles_` and `stuckUnreadable_`, which this
    // thread touches only after `waitForWrites()`. Last, so it is stopped before any member its tasks use goes.
    QThreadPool writer_;
};

} // namespace pigmo
