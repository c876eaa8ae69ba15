#pragma once

#include "model/ColorizationData.h"
#include "storage/FolderStylesFile.h"
#include "storage/HistoryFiles.h"
#include "storage/HistoryLogEntry.h"
#include "storage/HistoryLogFile.h"
#include "storage/HistoryWriter.h"

#include <QFutureWatcher>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

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
    // Hands what a batch recorded and has not written yet to the writer thread; `endsBatch`: the last write of
    // the outermost batch.
    void flushInBackground(bool endsBatch);
    // The loaded log's text (encoded again when it has to be).
    Result<QByteArray> loadedLogText();
    // What the next write of the log writes: the entries not handed to a write yet, with the loaded log.
    HistoryWriter::LogWrite logWrite(bool retry);
    HistoryWriter::StylesWrite stylesWrite();
    // Writes the entries not written yet on this thread, after the writer thread's writes.
    void writeLogNow();
    // The first `records` records are in both files: `writtenRecordCount()` grows to it.
    void noteRecordsWritten(quint64 records);
    // Makes the current styles those a merge wrote, with this store's changes not on disk yet made over them.
    // The writer thread is idle.
    void takeInMergedStyles();
    // Takes the log file's bytes (nothing: no file) read as `identity` as the loaded log and announces it;
    // false when nothing was announced (no file, or no log: logged, the file kept aside).
    bool publishLoadedLog(const std::optional<Result<QByteArray>>& bytes, const FileIdentity& identity);
    // The first style a batch records since its last write of the styles file.
    void draftStyles(const QString& folderPath);
    // Appends to the loaded log in memory (and to its encoded text) and notifies observers.
    void appendToLoadedLog(const HistoryLogEntry& entry);
    void assertOwnerThread() const;
    // Takes in a background load of the styles when one is pending, waiting for it to end. Called first by
    // every member that reads or changes the styles.
    void takeInLoadedStyles() const;

    struct LogRead;
    static LogRead readLog(const HistoryFiles& files);
    struct PendingStylesLoad; // a background load of the styles file (defined with the store's code)
    void adoptLoadedStyles(PendingStylesLoad& load);
    void takeDecodedStyles(DecodedStyles&& decoded);
    // Decodes the styles a background load kept as read (it checked that they decode).
    void decodeKeptStyles();

    QList<HistoryLogEntry> chronologicalLog_;
    bool chronologicalLogLoaded_ = false;
    quint64 recordCount_ = 0;
    std::atomic<quint64> writtenRecords_{0};
    QFutureWatcher<LogRead>* logLoadWatcher_ = nullptr; // the background load
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

    // The member text ("path":style) of current styles, as read or encoded once, so that saving many styles
    // encodes only the changed ones. Sorted as `folderStyles_`, holding only its folders, but while
    // `stylesUndecoded_`: then the current styles are those of both maps (a folder in both has one style),
    // and those only here are decoded on the first call of `folderStyles()`.
    QMap<QString, StyleMemberText> encodedStyles_;
    bool stylesUndecoded_ = false;

    int batchDepth_ = 0;
    QTimer batchWriteTimer_;
    // Recorded (and changed) and not handed to a write yet.
    QList<HistoryLogEntry> unwrittenEntries_;
    HistoryWriter::StyleChanges styleChanges_;

    // Writes the files, and reads them for background loads, on its thread, in the order handed over; its state
    // is touched by this thread only after `waitForWrites()`. Last, so it is stopped before any member its
    // tasks use goes.
    HistoryWriter writer_;
};

} // namespace pigmo
