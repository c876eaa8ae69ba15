#include "app/SmartPainter.h"

#include <QCoreApplication>
#include <QPointer>

namespace pigmo {

// The folders of one `paint` call. `siblings` belongs to the worker, `unfinished` to the GUI thread.
struct SmartPainter::Batch {
    SmartSiblingAnalysis::Batch siblings;
    qsizetype unfinished = 0;
};

SmartPainter::SmartPainter(StyleFolder style, RecordHistory record, HistoryBatch batch, QObject* parent)
    : QObject(parent)
    , style_(std::move(style))
    , record_(std::move(record))
    , historyBatch_(std::move(batch))
{
    worker_.setMaxThreadCount(1); // one folder after the other, in the order given
    worker_.setObjectName(QStringLiteral("smartPaintDirs"));
}

SmartPainter::~SmartPainter()
{
    finish();
}

void SmartPainter::paint(const QList<Folder>& folders)
{
    if (folders.isEmpty())
        return;
    auto batch = std::make_shared<Batch>();
    batch->unfinished = folders.size();
    openBatches_.append(batch);
    if (historyBatch_.begin)
        historyBatch_.begin();
    QPointer<SmartPainter> self(this);
    for (const Folder& folder : folders) {
        const QString path = folder.path();
        worker_.start([this, self, batch, path] {
            if (stopping_)
                return;
            const std::optional<ColorizationData> applied = style_(path, batch->siblings);
            if (applied)
                batch->siblings.remember(path, *applied);
            // The painter waits for its worker before it goes, so `self` is still this object here.
            QMetaObject::invokeMethod(
                self.data(),
                [self, batch, path, applied] {
                    if (self)
                        self->record(*batch, path, applied);
                },
                Qt::QueuedConnection);
        });
    }
}

void SmartPainter::record(Batch& batch, const QString& folderPath, const std::optional<ColorizationData>& applied)
{
    if (applied && record_)
        record_(folderPath, *applied);
    if (--batch.unfinished == 0)
        endBatch(batch);
    Q_EMIT folderPainted(folderPath, applied.has_value());
}

void SmartPainter::endBatch(Batch& batch)
{
    openBatches_.removeIf([&](const std::shared_ptr<Batch>& open) { return open.get() == &batch; });
    if (historyBatch_.end)
        historyBatch_.end();
}

void SmartPainter::finish()
{
    stopping_ = true;
    worker_.clear();
    worker_.waitForDone();
    // Recordings queued by the worker that the event loop has not run yet.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    // Batches cut short: their folders will never come.
    while (!openBatches_.isEmpty())
        endBatch(*openBatches_.first());
}

} // namespace pigmo
