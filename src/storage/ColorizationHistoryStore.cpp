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

#include <algorithm>
#include <future>
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

// Reads and decodes the styles file, on the writer thread.
std::optional<StylesRead> readStyles(const HistoryFiles& files)
{
    const QString& name = ColorizationHistoryStore::stylesFileName;
    if (!files.exists(name))
        return std::nullopt;
    const auto identity = fileIdentity(files.filePath(name));
    return StylesRead{readAndDecode(files, name, &decodeStylesOnDemand), identity};
}

} // namespace

// What a load of the log read: the file's bytes (nothing: no file), and the identity of the file read.
struct ColorizationHistoryStore::LogRead {
    std::optional<Result<QByteArray>> bytes;
    FileIdentity identity;
};

// The identity is taken before the read, so that a later change shows. The file is replaced whole by
// writers, so it reads consistently without the lock.
ColorizationHistoryStore::LogRead ColorizationHistoryStore::readLog(const HistoryFiles& files)
{
    LogRead read{std::nullopt, fileIdentity(files.filePath(logFileName))};
    if (files.exists(logFileName))
        read.bytes = files.read(logFileName);
    return read;
}

struct ColorizationHistoryStore::PendingStylesLoad {
    std::future<std::optional<StylesRead>> read;
};

ColorizationHistoryStore::ColorizationHistoryStore(QObject* parent)
    : ColorizationHistoryStore(StylesLoad::now, parent)
{
}

ColorizationHistoryStore::ColorizationHistoryStore(StylesLoad load, QObject* parent)
    : QObject(parent)
    , writer_(defaultStorageDirectory())
{
    batchWriteTimer_.setSingleShot(true);
    connect(&batchWriteTimer_, &QTimer::timeout, this, [this] { flushInBackground(false); });
    if (load == StylesLoad::now) {
        loadFolderStyles();
        return;
    }
    auto read = std::make_shared<std::promise<std::optional<StylesRead>>>();
    stylesLoad_.reset(new PendingStylesLoad{read->get_future()});
    writer_.post([files = writer_.files(), read] { read->set_value(readStyles(files)); });
}

ColorizationHistoryStore::~ColorizationHistoryStore()
{
    waitForWrites();
}

void ColorizationHistoryStore::waitForWrites()
{
    writer_.waitForWrites();
}

void ColorizationHistoryStore::assertOwnerThread() const
{
    Q_ASSERT_X(QThread::currentThread() == thread(), "ColorizationHistoryStore",
               "the history store is used only on the thread it lives on");
}

QString ColorizationHistoryStore::storageDirectory() const
{
    return writer_.files().directory();
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
    const QString path = writer_.files().filePath(stylesFileName);
    if (fileIdentity(path) != read->identity)
        return loadFolderStyles();
    log::warning(QStringLiteral("Error loading folder styles: ") + read->decoded.error());
    writer_.preserveAfterFailedLoad(stylesFileName);
    stylesReadAs_ = fileIdentity(path);
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
        if (writer_.allSaved())
            noteRecordsWritten(recordCount_);
        return;
    }
    if (!batchWriteTimer_.isActive())
        batchWriteTimer_.start(batchWriteInterval);
}

// The members before this folder are written now, while the batch runs. A batch styling new folders in
// order (a parent's new folders) leaves them as they are; when the batch's write shows that they changed, the
// draft is dropped unused.
void ColorizationHistoryStore::draftStyles(const QString& folderPath)
{
    auto start = encodeStyles(folderStyles_, encodedStyles_, &folderPath);
    if (start && start->size() >= HistoryWriter::draftThreshold)
        writer_.draftStyles(std::move(start).value());
}

void ColorizationHistoryStore::beginBatch()
{
    assertOwnerThread();
    // The log file is read and checked once for the batch's appends, and written ahead, before the event
    // loop runs again (a caller may not run it until the batch ends).
    if (batchDepth_++ == 0 && !chronologicalLogLoaded_)
        writer_.readLogAhead();
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
    writer_.forgetKnownLog(); // outside a batch every append reads the file again
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
    return writer_.writtenState();
}

void ColorizationHistoryStore::whenWritten(QObject* receiver, std::function<void(const Done&)> then)
{
    assertOwnerThread();
    writer_.post([this, receiver = QPointer(receiver), then = std::move(then)] {
        QMetaObject::invokeMethod(
            this,
            [receiver, then, state = writer_.writtenState()] {
                if (receiver)
                    then(state);
            },
            Qt::QueuedConnection);
    });
}

// What this thread does here is encoding what changed; the writer thread writes it, in the order handed over:
// the log while this thread encodes the styles, then the styles. One file after the other, as two
// multi-megabyte files written at once took longer than the two in turn.
void ColorizationHistoryStore::flushInBackground(bool endsBatch)
{
    assertOwnerThread();
    batchWriteTimer_.stop();
    if (writer_.idle())
        takeInMergedStyles(); // while the writer thread is idle anyway
    // What a failed write held is written again even with nothing new.
    const bool retry = writer_.somethingUnsaved();
    const bool writesStyles = !styleChanges_.isEmpty() || retry;
    const quint64 records = recordCount_;
    if (!unwrittenEntries_.isEmpty() || writesStyles) {
        writer_.post([this, write = logWrite(retry)]() mutable {
            // Both files under one lock, held until the styles are written; without it each write tries for
            // the lock itself and says why not. Every other writer waits for this thread first.
            writer_.holdLockForFlush();
            writer_.writeLog(std::move(write));
        });
    }
    std::optional<HistoryWriter::StylesWrite> styles;
    if (writesStyles)
        styles = stylesWrite();
    writer_.post([this, styles = std::move(styles), endsBatch, records]() mutable {
        if (styles)
            writer_.writeStyles(std::move(*styles));
        writer_.releaseFlushLock();
        if (writer_.allSaved())
            noteRecordsWritten(records);
        if (endsBatch)
            writer_.forgetKnownLog(); // outside a batch every append reads the file again
    });
}

// With the loaded log's text when there is something to write (the entries, or a failed write's).
HistoryWriter::LogWrite ColorizationHistoryStore::logWrite(bool retry)
{
    HistoryWriter::LogWrite write{std::exchange(unwrittenEntries_, {}), {}, std::exchange(logReadAs_, std::nullopt)};
    if (chronologicalLogLoaded_ && (!write.entries.isEmpty() || retry))
        write.loadedText = loadedLogText();
    return write;
}

// Made by calls that took the styles in.
HistoryWriter::StylesWrite ColorizationHistoryStore::stylesWrite()
{
    return {std::exchange(styleChanges_, {}), encodeStyles(folderStyles_, encodedStyles_),
            std::exchange(stylesReadAs_, std::nullopt)};
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
        writer_.forgetKnownLog(); // outside a batch every append reads the file again
}

void ColorizationHistoryStore::writeLogNow()
{
    waitForWrites();
    writer_.writeLog(logWrite(true));
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
    writer_.writeStyles(stylesWrite());
    takeInMergedStyles();
}

void ColorizationHistoryStore::takeInMergedStyles()
{
    const std::unique_ptr<HistoryWriter::MergedStyles> merged = writer_.takeMergedStyles();
    if (!merged)
        return;
    folderStyles_ = std::move(merged->styles.styles);
    encodedStyles_ = std::move(merged->styles.members);
    stylesUndecoded_ = merged->styles.undecoded;
    applyStyleChanges(writer_.unsavedStyles(), folderStyles_, encodedStyles_);
    applyStyleChanges(styleChanges_, folderStyles_, encodedStyles_);
    stylesReadAs_ = merged->identity;
    Q_EMIT folderStylesChanged();
}

void ColorizationHistoryStore::loadChronologicalLog()
{
    assertOwnerThread();
    writeLogNow(); // the file is read next, so it has to hold what was recorded
    chronologicalLogLoaded_ = true;
    const auto [bytes, identity] = readLog(writer_.files());
    publishLoadedLog(bytes, identity);
}

void ColorizationHistoryStore::loadChronologicalLogInBackground()
{
    assertOwnerThread();
    if (chronologicalLogLoaded_ || logLoadWatcher_)
        return;
    writeLogNow(); // the file is read next, so it has to hold what was recorded
    const quint64 recordsBefore = recordCount_;
    auto promise = std::make_shared<QPromise<LogRead>>();
    logLoadWatcher_ = new QFutureWatcher<LogRead>(this);
    connect(logLoadWatcher_, &QFutureWatcherBase::finished, this, [this, recordsBefore] {
        const LogRead read = logLoadWatcher_->result();
        logLoadWatcher_->deleteLater();
        logLoadWatcher_ = nullptr;
        if (chronologicalLogLoaded_)
            return; // a synchronous load came first
        if (recordCount_ != recordsBefore)
            return loadChronologicalLogInBackground(); // the file read may predate an entry recorded since
        chronologicalLogLoaded_ = true;
        waitForWrites(); // a write that failed before the load may be retried meanwhile
        if (!publishLoadedLog(read.bytes, read.identity))
            Q_EMIT chronologicalLogChanged(); // a missing or unreadable file ends the load too
    });
    logLoadWatcher_->setFuture(promise->future());
    promise->start();
    writer_.post([files = writer_.files(), promise] {
        promise->addResult(readLog(files));
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
            writer_.preserveAfterFailedLoad(logFileName);
            logReadAs_ = fileIdentity(writer_.files().filePath(logFileName)); // none once moved aside
        }
    }
    for (const HistoryLogEntry& entry : writer_.unsavedEntries()) {
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
    writer_.takeMergedStyles(); // superseded by the file as it is now
    const HistoryFiles& files = writer_.files();
    const QString path = files.filePath(stylesFileName);
    stylesReadAs_ = fileIdentity(path);
    if (!files.exists(stylesFileName))
        return;
    if (auto styles = readAndDecode(files, stylesFileName, &decodeAllStyles)) {
        takeDecodedStyles(std::move(styles).value());
        Q_EMIT folderStylesChanged();
    } else {
        log::warning(QStringLiteral("Error loading folder styles: ") + styles.error());
        writer_.preserveAfterFailedLoad(stylesFileName);
        stylesReadAs_ = fileIdentity(path); // none once moved aside
    }
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
