#include "storage/ColorizationHistoryStore.h"

#include "base/Log.h"
#include "storage/HistoryLogFile.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHash>
#include <QPromise>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <span>

namespace pigmo {
namespace {

QString defaultStorageDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/io.velmar.pigmo2");
}

template <class T>
Result<T> readAndDecode(const HistoryFiles& files, const QString& name, Result<T> (*decode)(const QByteArray&))
{
    auto bytes = files.read(name);
    if (!bytes)
        return Result<T>::failure(bytes.error());
    return decode(*bytes);
}

// A path as a folder: without trailing slashes (the root stays "/").
QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// What a background load of the styles found: nothing (no file), or the decoded file or why it could not
// be read, with the identity of the file it read.
struct StylesRead {
    Result<DecodedStyles> decoded;
    FileIdentity identity;
};

// Reads and decodes the styles file; run on a thread of its own.
std::optional<StylesRead> readStyles(const HistoryFiles& files)
{
    const QString& name = ColorizationHistoryStore::stylesFileName;
    if (!files.exists(name))
        return std::nullopt;
    const auto identity = fileIdentity(files.filePath(name));
    return StylesRead{readAndDecode(files, name, &decodeStylesOnDemand), identity};
}

} // namespace

struct ColorizationHistoryStore::StylesDraft {
    HistoryFiles::Draft file;
    StylesText start; // the text in the draft, kept to be compared with the text written in the end
};

struct ColorizationHistoryStore::MergedStyles {
    DecodedStyles styles; // as written, `encodeStyles`' members included
    FileIdentity identity;
};

struct ColorizationHistoryStore::PendingStylesLoad {
    std::future<std::optional<StylesRead>> read;
};

ColorizationHistoryStore::ColorizationHistoryStore(QObject* parent)
    : ColorizationHistoryStore(StylesLoad::now, parent)
{
}

ColorizationHistoryStore::ColorizationHistoryStore(StylesLoad load, QObject* parent)
    : QObject(parent)
    , files_(defaultStorageDirectory())
{
    writer_.setMaxThreadCount(1);
    batchWriteTimer_.setSingleShot(true);
    connect(&batchWriteTimer_, &QTimer::timeout, this, [this] { flushInBackground(false); });
    if (load == StylesLoad::now)
        loadFolderStyles();
    else
        stylesLoad_.reset(
            new PendingStylesLoad{std::async(std::launch::async, [files = files_] { return readStyles(files); })});
}

ColorizationHistoryStore::~ColorizationHistoryStore()
{
    waitForWrites();
}

void ColorizationHistoryStore::waitForWrites()
{
    writer_.waitForDone();
}

void ColorizationHistoryStore::assertOwnerThread() const
{
    Q_ASSERT_X(QThread::currentThread() == thread(), "ColorizationHistoryStore",
               "the history store is used only on the thread it lives on");
}

QString ColorizationHistoryStore::storageDirectory() const
{
    return files_.directory();
}

const QMap<QString, ColorizationData>& ColorizationHistoryStore::folderStyles() const
{
    takeInLoadedStyles();
    // The store is never a const object: decoding the styles kept as read only finishes their load.
    const_cast<ColorizationHistoryStore*>(this)->decodeKeptStyles();
    return folderStyles_;
}

void ColorizationHistoryStore::takeInLoadedStyles() const
{
    assertOwnerThread();
    if (!stylesLoad_)
        return;
    // The store is never a const object: taking the load in only finishes what its constructor started.
    const_cast<ColorizationHistoryStore*>(this)->adoptLoadedStyles(*std::unique_ptr(std::move(stylesLoad_)));
}

// As the load at construction would have done, with the file as it was read then; when it could not be
// read and has been replaced since, it is read again now rather than moved aside.
void ColorizationHistoryStore::adoptLoadedStyles(PendingStylesLoad& load)
{
    std::optional<StylesRead> read = load.read.get();
    if (!read) {
        stylesReadAs_ = FileIdentity{}; // no file
        return;
    }
    if (read->decoded) {
        stylesReadAs_ = read->identity;
        return takeDecodedStyles(std::move(read->decoded).value());
    }
    if (fileIdentity(files_.filePath(stylesFileName)) != read->identity)
        return loadFolderStyles();
    log::warning(QStringLiteral("Error loading folder styles: ") + read->decoded.error());
    preserveAfterFailedLoad(stylesFileName);
    stylesReadAs_ = fileIdentity(files_.filePath(stylesFileName));
}

void ColorizationHistoryStore::takeDecodedStyles(DecodedStyles&& decoded)
{
    folderStyles_ = std::move(decoded.styles);
    // Saving copies the members read here instead of encoding every style again.
    encodedStyles_ = std::move(decoded.members);
    stylesUndecoded_ = decoded.undecoded;
    const qsizetype count = stylesUndecoded_ ? encodedStyles_.size() : folderStyles_.size();
    log::print(QStringLiteral("Loaded %1 folder styles").arg(count));
}

void ColorizationHistoryStore::decodeKeptStyles()
{
    if (!std::exchange(stylesUndecoded_, false))
        return;
    for (auto it = encodedStyles_.cbegin(); it != encodedStyles_.cend(); ++it) {
        if (folderStyles_.contains(it.key()))
            continue; // recorded since the read
        if (auto data = decodeMember(it.key(), it.value()))
            folderStyles_.insert(it.key(), std::move(*data));
        else
            log::warning(QStringLiteral("Error loading the folder style of %1").arg(it.key()));
    }
}

void ColorizationHistoryStore::removeFolderStyle(const QString& folderPath)
{
    assertOwnerThread();
    takeInLoadedStyles();
    styleChanges_.insert(folderPath, std::nullopt);
    const bool kept = encodedStyles_.remove(folderPath) > 0; // possibly not decoded
    if (folderStyles_.remove(folderPath) > 0 || kept)
        Q_EMIT folderStylesChanged();
}

void ColorizationHistoryStore::record(const QString& folderPath, const ColorizationData& data)
{
    record(HistoryLogEntry{folderPath, data, historyTimestampNow()});
}

void ColorizationHistoryStore::record(const HistoryLogEntry& entry)
{
    assertOwnerThread();
    const QString& folderPath = entry.folderPath;
    const ColorizationData& data = entry.data;
    if (!data.isFinite()) {
        log::warning(
            QStringLiteral("Error recording history for %1: the style holds a non-finite number.").arg(folderPath));
        return;
    }
    takeInLoadedStyles();
    ++recordCount_;
    if (chronologicalLogLoaded_)
        appendToLoadedLog(entry);
    unwrittenEntries_.append(entry);
    encodedStyles_.remove(folderPath);
    if (batchDepth_ > 0 && styleChanges_.isEmpty())
        draftStyles(folderPath);
    folderStyles_.insert(folderPath, data);
    styleChanges_.insert(folderPath, data);
    Q_EMIT folderStylesChanged();
    if (batchDepth_ == 0) {
        saveChronologicalLog();
        saveFolderStyles();
        if (allSaved())
            noteRecordsWritten(recordCount_);
        return;
    }
    if (!batchWriteTimer_.isActive())
        batchWriteTimer_.start(batchWriteInterval);
}

// The first style a batch records since its last write of the styles file: the members before this folder
// are written now, while the batch runs. A batch styling new folders in order (a parent's new folders)
// leaves them as they are; when the batch's write shows that they changed, the draft is dropped unused.
void ColorizationHistoryStore::draftStyles(const QString& folderPath)
{
    auto start = encodeStyles(folderStyles_, encodedStyles_, &folderPath);
    if (!start || start->size() < draftThreshold)
        return;
    writer_.start([this, start = std::move(start).value()] {
        if (auto file = files_.draft(stylesFileName, start.views()))
            stylesDraft_ = std::make_unique<StylesDraft>(StylesDraft{std::move(*file), start});
    });
}

void ColorizationHistoryStore::beginBatch()
{
    assertOwnerThread();
    if (batchDepth_++ == 0)
        prepareBatchWrites();
}

void ColorizationHistoryStore::prepareBatchWrites()
{
    if (batchDepth_ == 0)
        return;
    if (!chronologicalLogLoaded_)
        writer_.start([this] { readKnownLog(); });
}

void ColorizationHistoryStore::readKnownLog()
{
    if (!knownLog_)
        knownLog_ = KnownLog::read(files_, draftThreshold);
}

void ColorizationHistoryStore::endBatch(Write write)
{
    assertOwnerThread();
    Q_ASSERT(batchDepth_ > 0);
    if (batchDepth_ == 0 || --batchDepth_ > 0)
        return;
    if (write == Write::inBackground) {
        flushInBackground(true);
        return;
    }
    flush();
    knownLog_.reset(); // outside a batch every append reads the file again
}

ColorizationHistoryStore::ScopedBatch::ScopedBatch(ColorizationHistoryStore& store)
    : store_(&store)
{
    store.beginBatch();
}

ColorizationHistoryStore::ScopedBatch::~ScopedBatch()
{
    if (store_)
        store_->endBatch(Write::inBackground);
}

void ColorizationHistoryStore::flush()
{
    assertOwnerThread();
    flushInBackground(false);
    waitForWrites();
    takeInMergedStyles();
}

Done ColorizationHistoryStore::written()
{
    assertOwnerThread();
    waitForWrites();
    return writtenState();
}

Done ColorizationHistoryStore::writtenState() const
{
    return allSaved() ? Done(std::monostate()) : Done::failure(writeError_);
}

void ColorizationHistoryStore::whenWritten(QObject* receiver, std::function<void(const Done&)> then)
{
    assertOwnerThread();
    writer_.start([this, receiver = QPointer(receiver), then = std::move(then)] {
        QMetaObject::invokeMethod(
            this,
            [receiver, then, state = writtenState()] {
                if (receiver)
                    then(state);
            },
            Qt::QueuedConnection);
    });
}

HistoryFiles::Lock ColorizationHistoryStore::lockUnlessHeld() const
{
    return flushLock_ && flushLock_->held() ? HistoryFiles::Lock::alreadyHeld() : files_.lock();
}

// What this thread does here is encoding what changed; the writer thread writes it, in the order handed over:
// the log while this thread encodes the styles, then the styles. One file after the other, as two
// multi-megabyte files written at once took longer than the two in turn.
void ColorizationHistoryStore::flushInBackground(bool endsBatch)
{
    assertOwnerThread();
    batchWriteTimer_.stop();
    if (writer_.waitForDone(0))
        takeInMergedStyles();             // while the writer thread is idle anyway
    const bool retry = somethingUnsaved_; // what a failed write held is written again even with nothing new
    QList<HistoryLogEntry> entries = std::exchange(unwrittenEntries_, {});
    StyleChanges changes = std::exchange(styleChanges_, {}); // made by calls that took the styles in
    const bool writesStyles = !changes.isEmpty() || retry;
    const quint64 records = recordCount_;
    if (!entries.isEmpty() || writesStyles) {
        std::optional<Result<QByteArray>> loadedText;
        if (chronologicalLogLoaded_ && (!entries.isEmpty() || retry))
            loadedText = loadedLogText();
        writer_.start([this, loadedText = std::move(loadedText), entries = std::move(entries),
                       readAs = std::exchange(logReadAs_, std::nullopt)] {
            // Both files under one lock, held until the styles are written; without it each write tries for
            // the lock itself and says why not. Every other writer waits for this thread first.
            flushLock_.emplace(files_.lock());
            writeLog(entries, loadedText, readAs);
        });
    }
    std::optional<Result<StylesText>> styles;
    std::optional<FileIdentity> stylesReadAs;
    if (writesStyles) {
        styles = encodeStyles(folderStyles_, encodedStyles_);
        stylesReadAs = std::exchange(stylesReadAs_, std::nullopt);
    }
    writer_.start([this, styles = std::move(styles), changes = std::move(changes), stylesReadAs, endsBatch, records] {
        if (styles)
            writeStyles(changes, *styles, stylesReadAs);
        flushLock_.reset();
        if (allSaved())
            noteRecordsWritten(records);
        if (endsBatch)
            knownLog_.reset(); // outside a batch every append reads the file again
    });
}

void ColorizationHistoryStore::appendToLoadedLog(const HistoryLogEntry& entry)
{
    chronologicalLog_.append(entry);
    if (!appendToLogText(chronologicalLogText_, entry))
        chronologicalLogText_.clear();
    Q_EMIT chronologicalLogChanged();
}

void ColorizationHistoryStore::saveChronologicalLog()
{
    assertOwnerThread();
    writeLogNow();
    if (batchDepth_ == 0)
        knownLog_.reset(); // outside a batch every append reads the file again
}

void ColorizationHistoryStore::writeLogNow()
{
    waitForWrites();
    std::optional<Result<QByteArray>> loadedText;
    if (chronologicalLogLoaded_)
        loadedText = loadedLogText();
    writeLog(std::exchange(unwrittenEntries_, {}), loadedText, std::exchange(logReadAs_, std::nullopt));
}

void ColorizationHistoryStore::writeLog(const QList<HistoryLogEntry>& entries,
                                        const std::optional<Result<QByteArray>>& loadedText,
                                        std::optional<FileIdentity> readAs)
{
    if (readAs)
        logInStep_ = readAs;
    unsavedEntries_ += entries;
    if (unsavedEntries_.isEmpty())
        return;
    QString prefix = QStringLiteral("Error appending to chronological log: ");
    if (const Done written = writeLogLocked(loadedText, prefix); !written)
        return keepUnsaved(prefix, written.error());
    unsavedEntries_.clear();
    forgetFailureWhenAllSaved();
}

// Another process's entries are never lost: the loaded log is written whole only while the file holds
// nothing it lacks; otherwise the entries are appended to the file as it is (read again, unless it is the
// one this store last wrote), and the loaded log stays as it was read until it is loaded again.
Done ColorizationHistoryStore::writeLogLocked(const std::optional<Result<QByteArray>>& loadedText, QString& prefix)
{
    const HistoryFiles::Lock lock = lockUnlessHeld();
    if (!lock.held())
        return Done::failure(lock.error());
    const QString path = files_.filePath(logFileName);
    if (loadedText && logInStep_ == fileIdentity(path)) {
        prefix = QStringLiteral("Error saving chronological log: ");
        if (!*loadedText)
            return Done::failure(loadedText->error());
        const QByteArrayView whole(**loadedText);
        const Done written = writeHeld(logFileName, std::span(&whole, 1));
        if (written)
            logInStep_ = fileIdentity(path);
        return written;
    }
    logInStep_.reset();
    std::optional<HistoryFiles::Draft> draft;
    std::optional<QByteArray> text = logTextToAppendTo(prefix, draft);
    if (!text)
        return Done::failure(
            QStringLiteral("%1 could not be read and is kept as it is until it can be moved aside.").arg(logFileName));
    for (const HistoryLogEntry& entry : std::as_const(unsavedEntries_)) {
        if (!appendToLogText(*text, entry))
            log::warning(prefix + QStringLiteral("an entry could not be encoded.")); // left out for good
    }
    const QByteArrayView whole(*text);
    const Done written = files_.write(logFileName, std::span(&whole, 1), std::move(draft));
    if (!written) {
        knownLog_.reset();
        return written;
    }
    knownLog_ = KnownLog::written(std::move(*text), fileIdentity(path));
    return written;
}

// The caller holds the lock. A file this batch wrote last is taken from memory; any other is read and
// decoded whole, and moved aside (starting a new log) when it cannot be read.
std::optional<QByteArray> ColorizationHistoryStore::logTextToAppendTo(QString& prefix,
                                                                      std::optional<HistoryFiles::Draft>& draft)
{
    if (!files_.exists(logFileName)) {
        prefix = QStringLiteral("Error creating chronological log: ");
        return QByteArray("[]");
    }
    if (std::optional<KnownLog> known = std::exchange(knownLog_, std::nullopt); // replaced after the write
        known && known->isFile(fileIdentity(files_.filePath(logFileName)))) {
        draft = std::move(known->draft);
        return std::move(known->text); // no copy of a long log
    }
    auto bytes = files_.read(logFileName);
    const auto checked = bytes ? json::checkLog(*bytes) : Result<void>::failure(bytes.error());
    if (checked)
        return bytes->trimmed();
    log::warning(prefix + checked.error());
    if (!preserveUnreadable(logFileName))
        return std::nullopt;
    prefix = QStringLiteral("Error creating chronological log: ");
    return QByteArray("[]");
}

Result<QByteArray> ColorizationHistoryStore::loadedLogText()
{
    if (chronologicalLogText_.isEmpty()) {
        auto encoded = json::encodeLog(chronologicalLog_);
        if (!encoded)
            return encoded;
        chronologicalLogText_ = std::move(encoded).value();
    }
    return chronologicalLogText_;
}

void ColorizationHistoryStore::saveFolderStyles()
{
    assertOwnerThread();
    takeInLoadedStyles();
    waitForWrites();
    takeInMergedStyles();
    writeStyles(std::exchange(styleChanges_, {}), encodeStyles(folderStyles_, encodedStyles_),
                std::exchange(stylesReadAs_, std::nullopt));
    takeInMergedStyles();
}

void ColorizationHistoryStore::writeStyles(const StyleChanges& changes, const Result<StylesText>& stylesText,
                                           std::optional<FileIdentity> readAs)
{
    if (readAs)
        stylesInStep_ = readAs;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        unsavedStyles_.insert(it.key(), *it);
    if (const Done written = writeStylesLocked(stylesText, std::move(stylesDraft_)); !written)
        return keepUnsaved(QStringLiteral("Error saving folder styles: "), written.error());
    unsavedStyles_.clear();
    forgetFailureWhenAllSaved();
}

// Another process's styles are never lost, nor those it removed brought back: unless the file holds just
// what this store read or wrote last, it is read again and only this store's own changes are made over it.
Done ColorizationHistoryStore::writeStylesLocked(const Result<StylesText>& text, std::unique_ptr<StylesDraft> drafted)
{
    if (!text)
        return Done::failure(text.error());
    const HistoryFiles::Lock lock = lockUnlessHeld();
    if (!lock.held())
        return Done::failure(lock.error());
    if (stylesInStep_ == fileIdentity(files_.filePath(stylesFileName)))
        return writeOwnStyles(*text, std::move(drafted));
    if (!files_.exists(stylesFileName))
        return writeMergedStyles({});
    auto decoded = readAndDecode(files_, stylesFileName, &decodeStylesOnDemand);
    if (decoded)
        return writeMergedStyles(std::move(decoded).value());
    log::warning(QStringLiteral("Error loading folder styles: ") + decoded.error());
    if (!preserveUnreadable(stylesFileName))
        return Done::failure(QStringLiteral("%1 could not be read and is kept as it is until it can be moved aside.")
                                 .arg(stylesFileName));
    return writeOwnStyles(*text, nullptr); // the unreadable file is kept aside: these styles start afresh
}

Done ColorizationHistoryStore::writeOwnStyles(const StylesText& text, std::unique_ptr<StylesDraft> drafted)
{
    const std::vector<QByteArrayView> pieces = text.views();
    std::optional<HistoryFiles::Draft> draft;
    if (drafted && startsWith(pieces, drafted->start.views()))
        draft = std::move(drafted->file);
    const Done written = writeHeld(stylesFileName, pieces, std::move(draft));
    if (written)
        stylesInStep_ = fileIdentity(files_.filePath(stylesFileName));
    return written;
}

// The file's styles as read, with the unsaved changes made over them; the current styles are these (and
// what this store changed since) once this thread takes them in.
Done ColorizationHistoryStore::writeMergedStyles(DecodedStyles merged)
{
    applyStyleChanges(unsavedStyles_, merged.styles, merged.members);
    const Result<StylesText> text = encodeStyles(merged.styles, merged.members);
    if (!text)
        return Done::failure(text.error());
    const Done written = writeHeld(stylesFileName, text->views());
    if (written) {
        stylesInStep_.reset(); // until this thread takes the merged styles in
        mergedStyles_ = std::make_unique<MergedStyles>(
            MergedStyles{std::move(merged), fileIdentity(files_.filePath(stylesFileName))});
    }
    return written;
}

void ColorizationHistoryStore::takeInMergedStyles()
{
    const std::unique_ptr<MergedStyles> merged = std::move(mergedStyles_);
    if (!merged)
        return;
    folderStyles_ = std::move(merged->styles.styles);
    encodedStyles_ = std::move(merged->styles.members);
    stylesUndecoded_ = merged->styles.undecoded;
    applyStyleChanges(unsavedStyles_, folderStyles_, encodedStyles_);
    applyStyleChanges(styleChanges_, folderStyles_, encodedStyles_);
    stylesReadAs_ = merged->identity;
    Q_EMIT folderStylesChanged();
}

// Said once: a write that fails again the same way while what it holds waits is not said again.
void ColorizationHistoryStore::keepUnsaved(const QString& prefix, const QString& error)
{
    const QString line = prefix + error;
    if (!failuresSaid_.contains(line)) {
        log::warning(line);
        failuresSaid_.insert(line);
    }
    writeError_ = error;
    somethingUnsaved_ = true;
}

void ColorizationHistoryStore::forgetFailureWhenAllSaved()
{
    if (!allSaved())
        return;
    writeError_.clear();
    failuresSaid_.clear();
    somethingUnsaved_ = false;
}

void ColorizationHistoryStore::loadChronologicalLog()
{
    assertOwnerThread();
    writeLogNow(); // the file is read next, so it has to hold what was recorded
    chronologicalLogLoaded_ = true;
    const FileIdentity identity = fileIdentity(files_.filePath(logFileName));
    publishLoadedLog(files_.exists(logFileName) ? std::optional(files_.read(logFileName)) : std::nullopt, identity);
}

void ColorizationHistoryStore::loadChronologicalLogInBackground()
{
    assertOwnerThread();
    if (chronologicalLogLoaded_ || logLoadWatcher_)
        return;
    writeLogNow(); // the file is read next, so it has to hold what was recorded
    const quint64 recordsBefore = recordCount_;
    auto promise = std::make_shared<QPromise<std::optional<Result<QByteArray>>>>();
    auto identity = std::make_shared<FileIdentity>();
    logLoadWatcher_ = new QFutureWatcher<std::optional<Result<QByteArray>>>(this);
    connect(logLoadWatcher_, &QFutureWatcherBase::finished, this, [this, recordsBefore, identity] {
        const std::optional<Result<QByteArray>> bytes = logLoadWatcher_->result();
        logLoadWatcher_->deleteLater();
        logLoadWatcher_ = nullptr;
        if (chronologicalLogLoaded_)
            return; // a synchronous load came first
        if (recordCount_ != recordsBefore)
            return loadChronologicalLogInBackground(); // the file read may predate an entry recorded since
        chronologicalLogLoaded_ = true;
        waitForWrites(); // a write that failed before the load may be retried meanwhile
        if (!publishLoadedLog(bytes, *identity))
            Q_EMIT chronologicalLogChanged(); // a missing or unreadable file ends the load too
    });
    logLoadWatcher_->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([files = files_, promise, identity] {
        // Nothing for a missing file; the file is replaced whole by writers, so it reads consistently.
        *identity = fileIdentity(files.filePath(logFileName)); // before the read: a later change shows
        promise->addResult(files.exists(logFileName) ? std::optional(files.read(logFileName)) : std::nullopt);
        promise->finish();
    });
}

// The loaded log is the file's entries (none for a missing or unreadable file) and those recorded whose
// write failed, which the file does not hold yet; the caller waited for the writer thread.
bool ColorizationHistoryStore::publishLoadedLog(const std::optional<Result<QByteArray>>& bytes,
                                                const FileIdentity& identity)
{
    logReadAs_ = identity;
    bool announced = false;
    if (bytes) {
        auto entries = *bytes ? json::decodeLog(**bytes) : Result<QList<HistoryLogEntry>>::failure(bytes->error());
        if (entries) {
            chronologicalLog_ = std::move(entries).value();
            chronologicalLogText_ = (*bytes)->trimmed(); // a valid array: what saving these entries writes
            log::print(QStringLiteral("Loaded %1 chronological history entries").arg(chronologicalLog_.size()));
            announced = true;
        } else {
            log::warning(QStringLiteral("Error loading chronological log: ") + entries.error());
            preserveAfterFailedLoad(logFileName);
            logReadAs_ = fileIdentity(files_.filePath(logFileName)); // none once moved aside
        }
    }
    for (const HistoryLogEntry& entry : std::as_const(unsavedEntries_)) {
        chronologicalLog_.append(entry);
        if (!appendToLogText(chronologicalLogText_, entry))
            chronologicalLogText_.clear(); // encoded again when written
        announced = true;
    }
    if (announced)
        Q_EMIT chronologicalLogChanged();
    return announced;
}

void ColorizationHistoryStore::loadFolderStyles()
{
    assertOwnerThread();
    stylesLoad_.reset(); // a background load is superseded (its end is waited for)
    waitForWrites();
    mergedStyles_.reset(); // superseded by the file as it is now
    const QString path = files_.filePath(stylesFileName);
    stylesReadAs_ = fileIdentity(path);
    if (files_.exists(stylesFileName)) {
        if (auto styles = readAndDecode(files_, stylesFileName, &decodeAllStyles)) {
            takeDecodedStyles(std::move(styles).value());
            Q_EMIT folderStylesChanged();
        } else {
            log::warning(QStringLiteral("Error loading folder styles: ") + styles.error());
            preserveAfterFailedLoad(stylesFileName);
            stylesReadAs_ = fileIdentity(path); // none once moved aside
        }
    }
}

Done ColorizationHistoryStore::writeHeld(const QString& name, std::span<const QByteArrayView> pieces,
                                         std::optional<HistoryFiles::Draft> draft)
{
    if (isStuck(name) && !preserveUnreadable(name))
        return Done::failure(
            QStringLiteral("%1 could not be read and is kept as it is until it can be moved aside.").arg(name));
    return files_.write(name, pieces, std::move(draft));
}

void ColorizationHistoryStore::preserveAfterFailedLoad(const QString& name)
{
    waitForWrites();
    if (const HistoryFiles::Lock lock = files_.lock(); lock.held())
        preserveUnreadable(name);
    else
        markStuck(name, true); // moved aside by the next write, or never overwritten
}

bool ColorizationHistoryStore::preserveUnreadable(const QString& name)
{
    if (!files_.exists(name)) {
        markStuck(name, false);
        return true;
    }
    auto moved = files_.moveAside(name);
    if (!moved) {
        log::warning(QStringLiteral("Error moving unreadable %1 aside: %2").arg(name, moved.error()));
        markStuck(name, true);
        return false;
    }
    log::warning(QStringLiteral("Moved unreadable %1 aside to %2").arg(name, *moved));
    markStuck(name, false);
    return true;
}

bool ColorizationHistoryStore::isStuck(const QString& name) const
{
    const std::scoped_lock lock(stuckMutex_);
    return stuckUnreadable_.contains(name);
}

void ColorizationHistoryStore::markStuck(const QString& name, bool stuck)
{
    const std::scoped_lock lock(stuckMutex_);
    if (stuck)
        stuckUnreadable_.insert(name);
    else
        stuckUnreadable_.remove(name);
}

// On the owner thread or the writer thread; the signal reaches the owner thread.
void ColorizationHistoryStore::noteRecordsWritten(quint64 records)
{
    quint64 written = writtenRecords_;
    while (written < records && !writtenRecords_.compare_exchange_weak(written, records)) {
    }
    if (QThread::currentThread() == thread())
        Q_EMIT recordsWritten();
    else
        QMetaObject::invokeMethod(this, &ColorizationHistoryStore::recordsWritten, Qt::QueuedConnection);
}

QList<ColorizationHistoryStore::FolderGroup> ColorizationHistoryStore::groupedFolderStyles() const
{
    assertOwnerThread();
    const QMap<QString, ColorizationData>& styles = folderStyles();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto ascending = [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; };

    // folderStyles_ iterates in code-point order of the paths, which the stable sorts keep for ties.
    QList<FolderGroup> groups;
    QHash<QString, qsizetype> groupIndex;
    for (auto it = styles.cbegin(); it != styles.cend(); ++it) {
        const QFileInfo info(withoutTrailingSlash(it.key()));
        const QString parent = info.path();
        auto index = groupIndex.constFind(parent);
        if (index == groupIndex.cend()) {
            index = groupIndex.insert(parent, groups.size());
            groups.append({parent, {}});
        }
        groups[*index].folders.append({info.fileName(), it.key(), it.value()});
    }
    for (FolderGroup& group : groups)
        std::ranges::stable_sort(group.folders, ascending, &StyledFolder::name);
    std::ranges::stable_sort(groups, ascending, &FolderGroup::parentPath);
    return groups;
}

} // namespace pigmo
