#include "services/FolderStyler.h"

#include "base/Log.h"
#include "platform/FolderIcons.h"
#include "render/ColorizationService.h"
#include "smart/SmartProposal.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace pigmo {
namespace {

FolderStyler::Outcome failed(const Folder& folder, FolderStyler::Operation operation, QString error)
{
    return FolderStyler::Outcome{folder, operation, std::nullopt, std::move(error)};
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

const QString FolderStyler::queueName = QStringLiteral("com.paintDirs.iconQueue");

FolderStyler::FolderStyler(ColorizationHistoryStore& history, const ExtendedAttributesManager& attributes,
                           SmartIconService& smartIcons, QObject* parent)
    : QObject(parent)
    , history_(history)
    , attributes_(attributes)
    , smartIcons_(smartIcons)
{
    qRegisterMetaType<FolderStyler::Outcome>();
    queue_.setObjectName(queueName);
    queue_.setMaxThreadCount(1); // one folder at a time, in submission order
}

FolderStyler::~FolderStyler()
{
    finish();
}

void FolderStyler::apply(const Folder& folder, const QImage& image, const ColorizationData& style,
                         Completion completion)
{
    submit(
        folder, Operation::apply, [this, folder, image, style] { return setIcon(folder, image, style); },
        std::move(completion));
}

void FolderStyler::remove(const Folder& folder, Completion completion)
{
    submit(
        folder, Operation::remove, [this, folder] { return removeIcon(folder); }, std::move(completion));
}

void FolderStyler::styleByName(const QList<Folder>& folders, const QString& logPrefix, Completion completion,
                               std::chrono::milliseconds indexWait, SmartSiblingAnalysis::Batch* siblings)
{
    if (folders.isEmpty())
        return;
    // `scans` is used on the queue only, `unfinished` on this thread only.
    struct Batch {
        explicit Batch(const ExtendedAttributesManager& attributes)
            : own(attributes)
        {
        }
        SmartSiblingAnalysis::Batch own;
        SmartSiblingAnalysis::Batch* scans = nullptr;
        qsizetype unfinished = 0;
    };
    auto batch = std::make_shared<Batch>(attributes_);
    batch->scans = siblings ? siblings : &batch->own;
    batch->unfinished = folders.size();
    history_.beginBatch();
    for (const Folder& folder : folders) {
        submit(
            folder, Operation::styleByName,
            [this, batch, folder, logPrefix, indexWait] {
                Outcome outcome = styleFromName(folder, logPrefix, indexWait, *batch->scans);
                if (outcome.style)
                    batch->scans->remember(folder.path(), *outcome.style);
                return outcome;
            },
            [this, batch, completion](const Outcome& outcome) {
                if (completion)
                    completion(outcome);
                if (--batch->unfinished == 0)
                    history_.endBatch();
            });
    }
}

void FolderStyler::submit(const Folder& folder, Operation operation, Work work, Completion completion)
{
    if (finishing_) {
        deliver(failed(folder, operation, QStringLiteral("the program is ending")), completion);
        return;
    }
    QPointer<FolderStyler> self(this);
    queue_.start([this, self, folder, operation, work = std::move(work), completion = std::move(completion)] {
        const Outcome outcome =
            finishing_ ? failed(folder, operation, QStringLiteral("the program is ending")) : work();
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
            history_.record(outcome.folder.path(), *outcome.style);
        }
    }
    if (completion)
        completion(outcome);
    Q_EMIT folderFinished(outcome);
}

FolderStyler::Outcome FolderStyler::setIcon(const Folder& folder, const QImage& image,
                                            const ColorizationData& style) const
{
    const QString& path = folder.path();
    log::print(QStringLiteral("setting icon for: ") + path + QStringLiteral(" on thread: ") + threadDescription());
    // Checked before the folder is touched: a style that cannot be recorded is not applied either.
    if (!style.isFinite()) {
        log::warning(QStringLiteral("Refused to style %1: the style holds a non-finite number.").arg(path));
        return failed(folder, Operation::apply, nonFinite());
    }
    if (!FolderIcons::setIcon(image, path)) {
        log::print(QStringLiteral("Failed to set folder icon on ") + path);
        return failed(folder, Operation::apply, QStringLiteral("its icon could not be set"));
    }
    log::print(QStringLiteral("Successfully set folder icon on ") + path);
    attributes_.writeSettings(style, path);
    return Outcome{folder, Operation::apply, style, {}};
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
    return Outcome{folder, Operation::remove, std::nullopt, {}};
}

FolderStyler::Outcome FolderStyler::styleFromName(const Folder& folder, const QString& logPrefix,
                                                  std::chrono::milliseconds indexWait,
                                                  SmartSiblingAnalysis::Batch& siblings) const
{
    const QString& path = folder.path();
    const ColorizationData style = smart::proposeStyle(smartIcons_, siblings, path, logPrefix, indexWait);
    if (!style.isFinite()) {
        log::warning(logPrefix + QStringLiteral("Refused to style %1: the style holds a non-finite number.").arg(path));
        return failed(folder, Operation::styleByName, nonFinite());
    }
    const std::optional<QImage> image = ColorizationService::generateIcon(style);
    if (!image) {
        log::warning(logPrefix + QStringLiteral("Failed to generate icon for ") + path);
        return failed(folder, Operation::styleByName, QStringLiteral("its icon could not be drawn"));
    }
    if (!FolderIcons::setIcon(*image, path)) {
        log::warning(logPrefix + QStringLiteral("❌ Failed to set icon on ") + path);
        return failed(folder, Operation::styleByName, QStringLiteral("its icon could not be set"));
    }
    log::system(logPrefix + QStringLiteral("✅ Applied smart icon to ") + path);
    attributes_.writeSettings(style, path);
    return Outcome{folder, Operation::styleByName, style, {}};
}

void FolderStyler::finish()
{
    finishing_ = true;
    waitForIdle();
}

void FolderStyler::waitForIdle()
{
    queue_.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace pigmo
