#include "services/FolderStyler.h"

#include "base/Log.h"
#include "platform/FolderIconStore.h"
#include "platform/FolderIcons.h"
#include "platform/PngEncoder.h"
#include "render/ColorizationService.h"
#include "smart/SmartProposal.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <deque>
#include <future>

namespace pigmo {
namespace {

FolderStyler::Outcome failed(const Folder& folder, FolderStyler::Operation operation, QString error)
{
    FolderStyler::Outcome outcome;
    outcome.folder = folder;
    outcome.operation = operation;
    outcome.error = std::move(error);
    return outcome;
}

QString nonFinite()
{
    return QStringLiteral("its style holds a non-finite number");
}

QString threadDescription()
{
    const QThread* thread = QThread::currentThread();
    return QStringLiteral("QThread(0x%1, name = \"%2\")")
        .arg(quintptr(thread), 0, 16)
        .arg(thread->objectName().isEmpty() ? QStringLiteral("worker") : thread->objectName());
}

} // namespace

FolderStyler::FolderStyler(Executors& executors, ColorizationHistoryStore& history,
                           const ExtendedAttributesManager& attributes, SmartIconService& smartIcons, QObject* parent)
    : QObject(parent)
    , history_(history)
    , attributes_(attributes)
    , smartIcons_(smartIcons)
    , journal_(history.storageDirectory())
    , queue_(executors.iconQueue()) // one folder at a time, in submission order
    , drawing_(executors.cpu())
{
    qRegisterMetaType<FolderStyling::Outcome>();
    connect(&history_, &ColorizationHistoryStore::recordsWritten, this, &FolderStyler::discardJournalIfWritten);
    settleLeftJournals();
}

FolderStyler::~FolderStyler()
{
    FolderStyler::finish();
}

// An intent entered in the journal ahead of its write, with what it was entered with.
struct FolderStyler::Journaled {
    quint64 id = 0;
    QDateTime time;
    QString icon;
    FolderIconEntries previous;
};

// What the drawing pool hands back: the folder's image and its PNG form (no image when it cannot be drawn),
// and the journal's intent for it when the PNG could be stored (a batch styled by name).
struct FolderStyler::Drawn {
    std::optional<QImage> image;
    QByteArray png;
    std::optional<Journaled> journaled;
};

FolderStyler::Drawn FolderStyler::draw(const ColorizationData& style)
{
    Drawn drawn{ColorizationService::generateIcon(style), {}, std::nullopt};
    if (drawn.image)
        drawn.png = encodePng(*drawn.image);
    return drawn;
}

void FolderStyler::apply(const Folder& folder, const ColorizationData& style, Completion completion)
{
    auto promise = std::make_shared<std::promise<Drawn>>();
    std::shared_future<Drawn> drawn = promise->get_future().share();
    // A style that cannot be recorded is refused on the queue, undrawn.
    if (finishing_ || !style.isFinite())
        promise->set_value(Drawn{});
    else
        startDrawing([promise, style] { promise->set_value(draw(style)); });
    submit(
        folder, Operation::apply, [this, folder, style, drawn] { return setIcon(folder, drawn.get(), style); },
        std::move(completion));
}

void FolderStyler::startDrawing(std::function<void()> drawing)
{
    MutexLock lock(waitingDrawsMutex_);
    waitingDraws_.push_back(std::move(drawing));
    if (drawsRunning_ == appliesDrawnAtOnce)
        return;
    ++drawsRunning_;
    drawing_.start([this] { drawWaiting(); });
}

void FolderStyler::drawWaiting()
{
    for (;;) {
        std::function<void()> next;
        {
            MutexLock lock(waitingDrawsMutex_);
            if (waitingDraws_.empty()) {
                --drawsRunning_;
                return;
            }
            next = std::move(waitingDraws_.front());
            waitingDraws_.pop_front();
        }
        next();
    }
}

void FolderStyler::remove(const Folder& folder, Completion completion)
{
    submit(
        folder, Operation::remove, [this, folder] { return removeIcon(folder); }, std::move(completion));
}

void FolderStyler::readIcons(const QStringList& folderPaths, std::function<void(const QList<QImage>&)> done)
{
    if (finishing_)
        return;
    const QPointer<FolderStyler> self(this);
    queue_.start([self, folderPaths, done = std::move(done)] {
        QList<QImage> icons;
        for (const QString& path : folderPaths)
            icons.append(FolderIcons::icon(path));
        // The styler waits for its queue before it goes, so `self` still names this object here.
        QMetaObject::invokeMethod(
            self.data(),
            [self, icons, done] {
                if (self)
                    done(icons);
            },
            Qt::QueuedConnection);
    });
}

QImage FolderStyler::shownIcon(const QString& folderPath)
{
    return FolderIcons::icon(folderPath);
}

// A folder proposed ahead of the writes; `remembered` when its style counts for the folders after it.
struct FolderStyler::Proposal {
    ColorizationData style;
    SmartSiblingAnalysis::Batch::Replaced replaced;
    bool remembered = false;
    std::future<Drawn> drawn;
};

// One `styleByName` call. The queue owns everything but `unfinished` (this thread's), one task at a time.
struct FolderStyler::Pipeline {
    Pipeline(const ExtendedAttributesManager& attributes, QList<Folder> batchFolders)
        : own(attributes)
        , folders(std::move(batchFolders))
    {
    }
    // Proposals that were never written do not count as siblings any more.
    ~Pipeline() { dropProposals(); }

    void dropProposals()
    {
        for (auto proposal = ahead.rbegin(); proposal != ahead.rend(); ++proposal)
            forget(*proposal, folders[proposed - 1 - (proposal - ahead.rbegin())]);
        ahead.clear();
        proposed = written;
    }
    void forget(Proposal& proposal, const Folder& folder)
    {
        if (proposal.remembered)
            scans->forget(folder.path(), proposal.replaced);
        // Its PNG may already be in the icon store and its intent in the journal: once they are, they go again.
        if (proposal.drawn.valid()) {
            if (const Drawn drawn = proposal.drawn.get(); drawn.journaled)
                journal->end(drawn.journaled->id, StylingJournal::Outcome::undone);
            FolderIcons::discardUnusedIcons(folder.path());
        }
    }

    SmartSiblingAnalysis::Batch own;
    SmartSiblingAnalysis::Batch* scans = nullptr;
    StylingJournal* journal = nullptr;
    const QList<Folder> folders;
    QString logPrefix;
    std::chrono::milliseconds indexWait{0};
    std::deque<Proposal> ahead; // folders[written] to folders[proposed - 1]
    qsizetype written = 0;
    qsizetype proposed = 0;
    qsizetype unfinished = 0;
};

void FolderStyler::styleByName(const QList<Folder>& folders, const QString& logPrefix, Completion completion,
                               std::chrono::milliseconds indexWait, SmartSiblingAnalysis::Batch* siblings)
{
    if (folders.isEmpty())
        return;
    auto pipeline = std::make_shared<Pipeline>(attributes_, folders);
    pipeline->scans = siblings ? siblings : &pipeline->own;
    pipeline->journal = &journal_;
    pipeline->logPrefix = logPrefix;
    pipeline->indexWait = indexWait;
    pipeline->unfinished = folders.size();
    history_.beginBatch();
    for (const Folder& folder : folders) {
        submit(
            folder, Operation::styleByName, [this, pipeline] { return styleNext(*pipeline); },
            [this, pipeline, completion](const Outcome& outcome) {
                if (completion)
                    completion(outcome);
                if (--pipeline->unfinished == 0)
                    history_.endBatch();
            });
    }
}

void FolderStyler::proposeAhead(Pipeline& pipeline)
{
    while (pipeline.ahead.size() < std::size_t(drawingAhead) && pipeline.proposed < pipeline.folders.size()) {
        const QString& path = pipeline.folders[pipeline.proposed++].path();
        Proposal proposal;
        proposal.style =
            smart::proposeStyle(smartIcons_, *pipeline.scans, path, pipeline.logPrefix, pipeline.indexWait);
        if (proposal.style.isFinite()) {
            proposal.replaced = pipeline.scans->remember(path, proposal.style);
            proposal.remembered = true;
            auto promise = std::make_shared<std::promise<Drawn>>();
            proposal.drawn = promise->get_future();
            drawing_.start([this, promise, style = proposal.style, path] {
                Drawn drawn = draw(style);
                // Journaled and stored (each synced) here, off the queue: the write then finds both in place.
                // A failure here is met, and reported, again by the write.
                if (const auto stored = drawn.png.isEmpty() ? std::nullopt : journalAhead(path, style, drawn.png))
                    drawn.journaled = *stored;
                promise->set_value(std::move(drawn));
            });
        }
        pipeline.ahead.push_back(std::move(proposal));
    }
}

FolderStyler::Outcome FolderStyler::styleNext(Pipeline& pipeline)
{
    proposeAhead(pipeline);
    const Folder folder = pipeline.folders[pipeline.written++];
    Proposal proposal = std::move(pipeline.ahead.front());
    pipeline.ahead.pop_front();
    Outcome outcome = styleFromProposal(folder, proposal, pipeline.logPrefix);
    if (!outcome.succeeded()) {
        pipeline.dropProposals();
        pipeline.forget(proposal, folder);
    }
    return outcome;
}

void FolderStyler::submit(const Folder& folder, Operation operation, Work work, Completion completion)
{
    if (finishing_) {
        deliver(failed(folder, operation, programEnding), completion);
        return;
    }
    QPointer<FolderStyler> self(this);
    queue_.start([this, self, folder, operation, work = std::move(work), completion = std::move(completion)] {
        const Outcome outcome = finishing_ ? failed(folder, operation, programEnding) : work();
        // The styler waits for its queue before it goes, so `self` still names this object here.
        QMetaObject::invokeMethod(
            self.data(),
            [self, outcome, completion] {
                if (self)
                    self->deliver(outcome, completion);
            },
            Qt::QueuedConnection);
    });
}

void FolderStyler::deliver(const Outcome& outcome, const Completion& completion)
{
    if (outcome.succeeded()) {
        if (outcome.operation == Operation::remove) {
            history_.removeFolderStyle(outcome.folder.path());
            history_.saveFolderStyles();
        } else if (outcome.style) {
            history_.record(HistoryLogEntry{outcome.folder.path(), *outcome.style, outcome.recordTime});
        }
        if (outcome.journaled) {
            journal_.recorded();
            journaledRecords_ = history_.recordCount();
        }
    }
    discardJournalIfWritten();
    if (completion)
        completion(outcome);
    Q_EMIT folderFinished(outcome);
}

void FolderStyler::discardJournalIfWritten()
{
    if (history_.writtenRecordCount() >= journaledRecords_)
        journal_.discardIfSettled();
}

// The intent first: a PNG stored by a process killed before its intent was journaled would be known to no one.
std::optional<FolderStyler::Journaled> FolderStyler::journalAhead(const QString& path, const ColorizationData& style,
                                                                  const QByteArray& png)
{
    Journaled journaled{0, historyTimestampNow(), FolderIconStore::filePath(path, png), FolderIcons::entries(path)};
    const Result<quint64> id = journal_.begin({0,
                                               {path, style, journaled.time},
                                               journaled.icon,
                                               journaled.previous.gvfs,
                                               journaled.previous.directory,
                                               std::nullopt});
    if (!id)
        return std::nullopt;
    journaled.id = *id;
    if (!FolderIconStore::store(path, png)) {
        journal_.end(journaled.id, StylingJournal::Outcome::undone);
        return std::nullopt;
    }
    return journaled;
}

FolderStyler::Outcome FolderStyler::write(const Folder& folder, Operation operation, const QImage& image,
                                          const QByteArray& png, const ColorizationData& style,
                                          const std::optional<Journaled>& ahead)
{
    const QString& path = folder.path();
    Result<FolderIcons::Change> started = FolderIcons::change(image, png, path);
    if (!started) {
        if (ahead)
            journal_.end(ahead->id, StylingJournal::Outcome::undone);
        return failed(folder, operation, QStringLiteral("its icon could not be set: ") + started.error());
    }
    FolderIcons::Change change = std::move(started).value();
    const FolderIconEntries& previous = change.previous();
    // The intent journaled ahead holds, unless the folder's entries changed since it was read.
    const bool aheadHolds = ahead && ahead->icon == change.storedFile() && ahead->previous == previous;
    if (ahead && !aheadHolds)
        journal_.end(ahead->id, StylingJournal::Outcome::undone);
    const HistoryLogEntry entry{path, style, aheadHolds ? ahead->time : historyTimestampNow()};
    const Result<quint64> id =
        aheadHolds ? Result<quint64>(ahead->id)
                   : journal_.begin({0, entry, change.storedFile(), previous.gvfs, previous.directory, std::nullopt});
    if (!id) {
        log::warning(QStringLiteral("Refused to style %1: %2").arg(path, id.error()));
        return failed(folder, operation, QStringLiteral("its change could not be journaled: ") + id.error());
    }
    QString error;
    if (const Result<void> applied = change.apply(); !applied)
        error = QStringLiteral("its icon could not be set: ") + applied.error();
    else if (const auto attribute = attributes_.storeSettings(style, path); !attribute)
        error = QStringLiteral("its style could not be stored on it: ") + attribute.error();
    if (!error.isEmpty()) {
        change.undo();
        journal_.end(*id, StylingJournal::Outcome::undone);
        return failed(folder, operation, error);
    }
    change.commit();
    journal_.end(*id, StylingJournal::Outcome::styled);
    Outcome outcome;
    outcome.folder = folder;
    outcome.operation = operation;
    outcome.style = style;
    if (!change.missing().isEmpty())
        outcome.missing = QStringLiteral("not shown by GNOME file managers: ") + change.missing();
    outcome.recordTime = entry.timestamp;
    outcome.journaled = true;
    return outcome;
}

FolderStyler::Outcome FolderStyler::setIcon(const Folder& folder, const Drawn& drawn, const ColorizationData& style)
{
    const QString& path = folder.path();
    log::print(QStringLiteral("setting icon for: ") + path + QStringLiteral(" on thread: ") + threadDescription());
    // Checked before the folder is touched: a style that cannot be recorded is not applied either.
    if (!style.isFinite()) {
        log::warning(QStringLiteral("Refused to style %1: the style holds a non-finite number.").arg(path));
        return failed(folder, Operation::apply, nonFinite());
    }
    Outcome outcome = drawn.image ? write(folder, Operation::apply, *drawn.image, drawn.png, style, std::nullopt)
                                  : failed(folder, Operation::apply, QStringLiteral("its icon could not be drawn"));
    if (outcome.succeeded())
        log::print(QStringLiteral("Successfully set folder icon on ") + path);
    else
        log::print(QStringLiteral("Failed to set folder icon on ") + path);
    return outcome;
}

FolderStyler::Outcome FolderStyler::removeIcon(const Folder& folder) const
{
    const QString& path = folder.path();
    if (!FolderIcons::removeIcon(path)) {
        log::print(QStringLiteral("Failed to reset folder icon on ") + path);
        return failed(folder, Operation::remove, QStringLiteral("its icon could not be removed"));
    }
    log::print(QStringLiteral("Folder icon reset successfully for ") + path + u'!');
    attributes_.removeSettings(path);
    Outcome outcome;
    outcome.folder = folder;
    outcome.operation = Operation::remove;
    return outcome;
}

FolderStyler::Outcome FolderStyler::styleFromProposal(const Folder& folder, Proposal& proposal,
                                                      const QString& logPrefix)
{
    const QString& path = folder.path();
    if (!proposal.style.isFinite()) {
        log::warning(logPrefix + QStringLiteral("Refused to style %1: the style holds a non-finite number.").arg(path));
        return failed(folder, Operation::styleByName, nonFinite());
    }
    const Drawn drawn = proposal.drawn.get();
    if (!drawn.image) {
        log::warning(logPrefix + QStringLiteral("Failed to generate icon for ") + path);
        return failed(folder, Operation::styleByName, QStringLiteral("its icon could not be drawn"));
    }
    Outcome outcome = write(folder, Operation::styleByName, *drawn.image, drawn.png, proposal.style, drawn.journaled);
    if (!outcome.succeeded()) {
        FolderIcons::discardUnusedIcons(path); // the PNG stored ahead
        log::warning(logPrefix + QStringLiteral("❌ Failed to set icon on ") + path);
        return outcome;
    }
    log::system(logPrefix + QStringLiteral("✅ Applied smart icon to ") + path);
    return outcome;
}

// What settling the journals of killed processes found on the queue, for the styler's thread to record.
struct FolderStyler::Settlement {
    std::vector<StylingJournal::Left> journals;
    QList<HistoryLogEntry> styled; // recorded unless the history has them
    qsizetype putBack = 0;
};

void FolderStyler::settleLeftJournals()
{
    const QPointer<FolderStyler> self(this);
    queue_.start([this, self, directory = history_.storageDirectory()] {
        std::vector<StylingJournal::Left> left = StylingJournal::left(directory);
        if (left.empty())
            return;
        const std::shared_ptr<Settlement> settlement = settle(std::move(left));
        // The styler waits for its queue before it goes, so `self` still names this object here.
        QMetaObject::invokeMethod(
            self.data(),
            [self, settlement] {
                if (self)
                    self->recordSettlement(*settlement);
            },
            Qt::QueuedConnection);
    });
}

// An intent that ended styled is recorded; one without an end (the folder being written when its process
// was killed) is recorded when the folder carries its style and icon, and put back otherwise.
std::shared_ptr<FolderStyler::Settlement> FolderStyler::settle(std::vector<StylingJournal::Left> left) const
{
    auto settlement = std::make_shared<Settlement>();
    for (const StylingJournal::Left& journal : left) {
        for (const StylingJournal::Intent& intent : journal.contents().intents) {
            const QString& path = intent.entry.folderPath;
            if (intent.outcome == StylingJournal::Outcome::undone)
                continue;
            if (intent.outcome == StylingJournal::Outcome::styled ||
                (attributes_.storedSettings(path) == intent.entry.data && FolderIcons::shows(path, intent.icon))) {
                settlement->styled.append(intent.entry);
                continue;
            }
            // Also deletes the PNG stored for it; a folder drawn ahead but never written shows no change.
            const FolderIconEntries previous{intent.previousGvfsIcon, intent.previousDirectoryIcon};
            const bool changed = FolderIcons::entries(path) != previous;
            if (FolderIcons::restore(path, previous) && changed)
                ++settlement->putBack;
        }
    }
    settlement->journals = std::move(left);
    return settlement;
}

namespace {

QList<HistoryLogEntry> loggedEntries(const QString& directory)
{
    QFile file(directory + u'/' + ColorizationHistoryStore::logFileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    auto entries = json::decodeLog(file.readAll());
    return entries ? std::move(entries).value() : QList<HistoryLogEntry>();
}

} // namespace

// The journals go once the history files hold their records; when they cannot be written, the journals
// stay for the next start.
void FolderStyler::recordSettlement(Settlement& settlement)
{
    const QList<HistoryLogEntry> logged =
        settlement.styled.isEmpty() ? QList<HistoryLogEntry>() : loggedEntries(history_.storageDirectory());
    qsizetype recorded = 0;
    for (const HistoryLogEntry& entry : std::as_const(settlement.styled)) {
        if (!logged.contains(entry)) {
            history_.record(entry);
            ++recorded;
        }
    }
    history_.flush();
    if (history_.writtenRecordCount() < history_.recordCount()) {
        log::warning(
            QStringLiteral("The journal of an interrupted styling is kept: the history could not be written."));
        return;
    }
    for (StylingJournal::Left& journal : settlement.journals) {
        if (const Result<void> removed = journal.remove(); !removed)
            log::warning(removed.error());
    }
    log::warning(QStringLiteral("Settled what an interrupted styling left: %1 styled folders recorded in the "
                                "history, %2 put back as they were.")
                     .arg(recorded)
                     .arg(settlement.putBack));
}

void FolderStyler::finish()
{
    finishing_ = true;
    waitForIdle();
}

void FolderStyler::waitForIdle()
{
    queue_.waitForDone();
    drawing_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    discardJournalIfWritten();
}

} // namespace pigmo
