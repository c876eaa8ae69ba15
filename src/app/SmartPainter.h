#pragma once

#include "base/Folder.h"
#include "model/ColorizationData.h"
#include "smart/SmartSiblingAnalysis.h"

#include <QList>
#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace pigmo {

// Styles folders at once, without showing anything: one folder after the other on a background thread
// of its own, each with the smart style (glyph from its name, colours from its styled siblings). Each
// folder styled is recorded in the history on the GUI thread; a folder that fails is skipped and the
// others go on. The folders of one `paint` call are one batch: their sibling scans share one listing per
// parent, and their history recordings are bracketed by the batch hooks. Lives on the GUI thread.
class SmartPainter : public QObject {
    Q_OBJECT
public:
    // Styles one folder completely (icon set, attribute written) on the worker thread, with the sibling scans
    // of its batch: the style applied, or nothing when it failed.
    using StyleFolder = std::function<std::optional<ColorizationData>(const QString& folderPath,
                                                                      SmartSiblingAnalysis::Batch& siblings)>;
    // Records one applied style; GUI thread.
    using RecordHistory = std::function<void(const QString& folderPath, const ColorizationData& data)>;
    // Called on the GUI thread before the first recording of a batch and after its last one (or when the
    // painter finishes); either may be empty.
    struct HistoryBatch {
        std::function<void()> begin;
        std::function<void()> end;
    };

    SmartPainter(StyleFolder style, RecordHistory record, HistoryBatch batch = {}, QObject* parent = nullptr);
    // Finishes as `finish()` does.
    ~SmartPainter() override;

    // Queues the folders behind any still being styled.
    void paint(const QList<Folder>& folders);
    // Styles no further folder, waits for the one being styled, then records on the calling (GUI) thread
    // what was styled but not yet recorded. Used when the program ends.
    void finish();

Q_SIGNALS:
    // After a folder was styled (or skipped) and, when styled, recorded.
    void folderPainted(const QString& folderPath, bool succeeded);

private:
    struct Batch;
    void record(Batch& batch, const QString& folderPath, const std::optional<ColorizationData>& applied);
    void endBatch(Batch& batch);

    StyleFolder style_;
    RecordHistory record_;
    HistoryBatch historyBatch_;
    QList<std::shared_ptr<Batch>> openBatches_; // GUI thread
    QThreadPool worker_;
    std::atomic<bool> stopping_{false};
};

} // namespace pigmo
