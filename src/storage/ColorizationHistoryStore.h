#pragma once

#include "model/ColorizationData.h"
#include "storage/HistoryFiles.h"
#include "storage/HistoryLogEntry.h"

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
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace pigmo {

// A current style's member of the styles file ("path":style) as a save writes it: a stretch of the text it
// was read from (shared with every other member read from it, not copied), or its own encoding.
struct StyleMemberText {
    QByteArray source;
    qsizetype begin = 0;
    qsizetype size = 0;
};

struct DecodedStyles; // the styles file as read (defined with the store's code)
struct StylesText;    // the styles file's text as a save writes it (defined with the store's code)

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
// thread's, runs there, synchronously. No operation throws or reports failure to its caller; each failure is one line
// on standard output. Files are written whole and atomically under a lock shared with other processes. A file that
// cannot be read is moved aside to "<name>.corrupt-<UTC time>" before anything is written over it, so no history is
// silently lost.
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

    // Forgets a folder's current style in memory; the caller saves with `saveFolderStyles()`.
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
    // The current styles grouped by parent folder; groups and folders sorted by the locale's
    // case-insensitive order (ties keep the order of the paths' code points).
    QList<FolderGroup> groupedFolderStyles() const;
    // Moves the legacy history out of the preferences once (see LegacyHistoryMigration.cpp).
    void migrateLegacyHistoryIfNeeded();

    void loadChronologicalLog();
    // The same load with the file read and decoded on a worker thread; the entries are published on the
    // store's thread (`chronologicalLogChanged`, also for a missing or unreadable file), and
    // `chronologicalLogLoaded()` is already true when that signal arrives. Does nothing
    // when the log is loaded or such a load is under way. When an entry is recorded while the file is read,
    // the read starts again, so the published log never misses it.
    void loadChronologicalLogInBackground();
    bool isLoadingChronologicalLog() const { return logLoadWatcher_ != nullptr; }
    void appendToChronologicalLog(const HistoryLogEntry& entry);
    void saveChronologicalLog();
    void loadFolderStyles();
    void saveFolderStyles();

Q_SIGNALS:
    void chronologicalLogChanged();
    void folderStylesChanged();
    // `writtenRecordCount()` grew.
    void recordsWritten();

private:
    void appendToFile(const HistoryLogEntry& entry);
    // Says why a write of the files failed, and counts it.
    void writeFailed(const QString& message);
    void noteRecordsWritten(quint64 records);
    // Hands what a batch recorded and has not written yet to the writer thread; `endsBatch`: the last write of
    // the outermost batch.
    void flushInBackground(bool endsBatch);
    // The loaded log's text (encoded again when it has to be).
    Result<QByteArray> loadedLogText();
    // The writes themselves: on this thread with no write pending, or on the writer thread.
    void writeLog(const Result<QByteArray>& text);
    void writeStyles(const Result<StylesText>& text);
    void appendEntries(const QList<HistoryLogEntry>& entries);
    void readKnownLog();
    // Takes the log file's bytes as the loaded log and announces it; false when they are no log (logged, the
    // file kept aside).
    bool publishLoadedLog(const Result<QByteArray>& bytes);
    // Appends the entries recorded in a batch while the log is not loaded: one read of the file per batch
    // (again only when someone else changed it), one whole write.
    void appendUnwrittenEntries();
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
    // Room kept after the log's text read at a batch's start, for the entries it appends (only touched
    // pages take memory).
    static constexpr qsizetype appendRoom = 256 * 1024;
    struct KnownLog;
    void draftAppendedLog(KnownLog& log) const;
    void draftStyles(const QString& folderPath);
    // Appends to the loaded log in memory (and to its encoded text) and notifies observers.
    void appendToLoadedLog(const HistoryLogEntry& entry);
    // Writes a whole file, its text in pieces, under the lock; refuses while an unreadable file could not be
    // moved aside.
    Done writeWhole(const QString& name, const Result<std::vector<QByteArrayView>>& pieces,
                    std::optional<HistoryFiles::Draft> draft = std::nullopt);
    // The history lock, or a stand-in while a flush holds it already on the writer thread (the lock is not
    // reentrant).
    HistoryFiles::Lock lockUnlessHeld() const;
    bool isStuck(const QString& name) const;
    void markStuck(const QString& name, bool stuck);
    // The log's part of a batch's write: the loaded log whole, or the entries appended to the file.
    void writeLogAndEntries(const std::optional<Result<QByteArray>>& log, const QList<HistoryLogEntry>& entries);
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
    std::atomic<quint64> writeFailures_{0}; // every failed write of either file, on either thread
    QFutureWatcher<std::optional<Result<QByteArray>>>* logLoadWatcher_ = nullptr; // the background load

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
    QList<HistoryLogEntry> unwrittenEntries_; // recorded in a batch before the log was loaded
    bool loadedLogUnsaved_ = false;
    bool stylesUnsaved_ = false;
    // The log file as this store last read or wrote it in a batch; while the file is still that one,
    // appending needs no new read.
    struct KnownLog {
        QByteArray text;
        std::array<qint64, 4> identity{};         // device, inode, size, modification time (ns)
        std::shared_future<bool> readable;        // whether every entry decodes; checked off this thread
        std::optional<HistoryFiles::Draft> draft; // the text but its closing bracket, for the next append
    };
    std::optional<KnownLog> knownLog_;
    // The start of the batch's next write of the styles file (set by a writer thread's task).
    struct StylesDraft;
    std::unique_ptr<StylesDraft> stylesDraft_;

    // One thread; its tasks touch the files, `flushLock_`, `knownLog_`, `stylesDraft_` and `stuckUnreadable_`, which
    // this thread touches only after `waitForWrites()`. Last, so it is stopped before any member its tasks use goes.
    QThreadPool writer_;
};

} // namespace pigmo
