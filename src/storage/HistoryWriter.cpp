#include "storage/HistoryWriter.h"

#include "base/Log.h"
#include "storage/ColorizationHistoryStore.h"

namespace pigmo {
namespace {

const QString& logFileName = ColorizationHistoryStore::logFileName;
const QString& stylesFileName = ColorizationHistoryStore::stylesFileName;

QString keptAsItIs(const QString& name)
{
    return QStringLiteral("%1 could not be read and is kept as it is until it can be moved aside.").arg(name);
}

} // namespace

struct HistoryWriter::StylesDraft {
    HistoryFiles::Draft file;
    StylesText start; // the text in the draft, kept to be compared with the text written in the end
};

HistoryWriter::HistoryWriter(const QString& directory)
    : files_(directory, [this](std::function<void()> task) { post(std::move(task)); })
{
}

HistoryWriter::~HistoryWriter()
{
    waitForWrites();
}

void HistoryWriter::post(std::function<void()> task)
{
    thread_.submit(std::move(task));
}

void HistoryWriter::waitForWrites()
{
    thread_.waitForIdle();
}

bool HistoryWriter::idle()
{
    return thread_.idle();
}

void HistoryWriter::holdLockForFlush()
{
    flushLock_.emplace(files_.lock());
}

void HistoryWriter::releaseFlushLock()
{
    flushLock_.reset();
}

HistoryFiles::Lock HistoryWriter::lockUnlessHeld() const
{
    return flushLock_ && flushLock_->held() ? HistoryFiles::Lock::alreadyHeld() : files_.lock();
}

void HistoryWriter::readLogAhead()
{
    post([this] {
        if (!knownLog_)
            knownLog_ = KnownLog::read(files_, draftThreshold);
    });
}

void HistoryWriter::draftStyles(StylesText start)
{
    post([this, start = std::move(start)] {
        if (auto file = files_.draft(stylesFileName, start.views()))
            stylesDraft_ = std::make_unique<StylesDraft>(StylesDraft{std::move(*file), start});
    });
}

Done HistoryWriter::writtenState() const
{
    return allSaved() ? Done(std::monostate()) : Done::failure(writeError_);
}

void HistoryWriter::writeLog(LogWrite write)
{
    if (write.readAs)
        logInStep_ = write.readAs;
    unsavedEntries_ += write.entries;
    if (unsavedEntries_.isEmpty())
        return;
    QString prefix = QStringLiteral("Error appending to chronological log: ");
    if (const Done written = writeLogLocked(write.loadedText, prefix); !written)
        return keepUnsaved(prefix, written.error());
    unsavedEntries_.clear();
    forgetFailureWhenAllSaved();
}

// Another process's entries are never lost: the loaded log is written whole only while the file holds
// nothing it lacks; otherwise the entries are appended to the file as it is (read again, unless it is the
// one this writer last wrote), and the loaded log stays as it was read until it is loaded again.
Done HistoryWriter::writeLogLocked(const std::optional<Result<QByteArray>>& loadedText, QString& prefix)
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
        return Done::failure(keptAsItIs(logFileName));
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
std::optional<QByteArray> HistoryWriter::logTextToAppendTo(QString& prefix, std::optional<HistoryFiles::Draft>& draft)
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

void HistoryWriter::writeStyles(StylesWrite write)
{
    if (write.readAs)
        stylesInStep_ = write.readAs;
    for (auto it = write.changes.cbegin(); it != write.changes.cend(); ++it)
        unsavedStyles_.insert(it.key(), *it);
    if (const Done written = writeStylesLocked(write.text, std::move(stylesDraft_)); !written)
        return keepUnsaved(QStringLiteral("Error saving folder styles: "), written.error());
    unsavedStyles_.clear();
    forgetFailureWhenAllSaved();
}

// Another process's styles are never lost, nor those it removed brought back: unless the file holds just
// what the store read or this writer wrote last, it is read again and only the store's own changes are made
// over it.
Done HistoryWriter::writeStylesLocked(const Result<StylesText>& text, std::unique_ptr<StylesDraft> drafted)
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
    auto bytes = files_.read(stylesFileName);
    auto decoded = bytes ? decodeStylesOnDemand(*bytes) : Result<DecodedStyles>::failure(bytes.error());
    if (decoded)
        return writeMergedStyles(std::move(decoded).value());
    log::warning(QStringLiteral("Error loading folder styles: ") + decoded.error());
    if (!preserveUnreadable(stylesFileName))
        return Done::failure(keptAsItIs(stylesFileName));
    return writeOwnStyles(*text, nullptr); // the unreadable file is kept aside: these styles start afresh
}

Done HistoryWriter::writeOwnStyles(const StylesText& text, std::unique_ptr<StylesDraft> drafted)
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

// The file's styles as read, with the unsaved changes made over them; the store's current styles are these
// (and what it changed since) once it takes them in.
Done HistoryWriter::writeMergedStyles(DecodedStyles merged)
{
    applyStyleChanges(unsavedStyles_, merged.styles, merged.members);
    const Result<StylesText> text = encodeStyles(merged.styles, merged.members);
    if (!text)
        return Done::failure(text.error());
    const Done written = writeHeld(stylesFileName, text->views());
    if (written) {
        stylesInStep_.reset(); // until the store takes the merged styles in
        mergedStyles_ = std::make_unique<MergedStyles>(
            MergedStyles{std::move(merged), fileIdentity(files_.filePath(stylesFileName))});
    }
    return written;
}

// Said once: a write that fails again the same way while what it holds waits is not said again.
void HistoryWriter::keepUnsaved(const QString& prefix, const QString& error)
{
    const QString line = prefix + error;
    if (!failuresSaid_.contains(line)) {
        log::warning(line);
        failuresSaid_.insert(line);
    }
    writeError_ = error;
    somethingUnsaved_ = true;
}

void HistoryWriter::forgetFailureWhenAllSaved()
{
    if (!allSaved())
        return;
    writeError_.clear();
    failuresSaid_.clear();
    somethingUnsaved_ = false;
}

Done HistoryWriter::writeHeld(const QString& name, std::span<const QByteArrayView> pieces,
                              std::optional<HistoryFiles::Draft> draft)
{
    if (isStuck(name) && !preserveUnreadable(name))
        return Done::failure(keptAsItIs(name));
    return files_.write(name, pieces, std::move(draft));
}

void HistoryWriter::preserveAfterFailedLoad(const QString& name)
{
    waitForWrites();
    if (const HistoryFiles::Lock lock = files_.lock(); lock.held())
        preserveUnreadable(name);
    else
        markStuck(name, true); // moved aside by the next write, or never overwritten
}

bool HistoryWriter::preserveUnreadable(const QString& name)
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

bool HistoryWriter::isStuck(const QString& name) const
{
    const MutexLock lock(stuckMutex_);
    return stuckUnreadable_.contains(name);
}

void HistoryWriter::markStuck(const QString& name, bool stuck)
{
    const MutexLock lock(stuckMutex_);
    if (stuck)
        stuckUnreadable_.insert(name);
    else
        stuckUnreadable_.remove(name);
}

} // namespace pigmo
