#include "app/SmartPainter.h"

#include <QCoreApplication>
#include <QPointer>

namespace pigmo {

SmartPainter::SmartPainter(StyleFolder style, RecordHistory record, QObject* parent)
    : QObject(parent)
    , style_(std::move(style))
    , record_(std::move(record))
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
    QPointer<SmartPainter> self(this);
    for (const Folder& folder : folders) {
        const QString path = folder.path();
        worker_.start([this, self, path] {
            if (stopping_)
                return;
            const std::optional<ColorizationData> applied = style_(path);
            // The painter waits for its worker before it goes, so `self` is still this object here.
            QMetaObject::invokeMethod(
                self.data(),
                [self, path, applied] {
                    if (self)
                        self->record(path, applied);
                },
                Qt::QueuedConnection);
        });
    }
}

void SmartPainter::record(const QString& folderPath, const std::optional<ColorizationData>& applied)
{
    if (applied && record_)
        record_(folderPath, *applied);
    Q_EMIT folderPainted(folderPath, applied.has_value());
}

void SmartPainter::finish()
{
    stopping_ = true;
    worker_.clear();
    worker_.waitForDone();
    // Recordings queued by the worker that the event loop has not run yet.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace pigmo
