#pragma once

#include "base/Folder.h"
#include "services/ColorizationModelsGroup.h"
#include "storage/ColorizationHistoryStore.h"

#include <QImage>
#include <QList>
#include <QObject>

#include <memory>

namespace pigmo {

class FolderStyler;

// One apply of the styles of edited folders: each folder's last rendered style goes to the folder styler, which
// draws it on its pool and writes it on its icon queue, in the folders' order. A folder still being styled by
// the smart workflow is applied once its style is ready, never with a frame of its loading animation. The
// history recordings of the whole job reach the disk together, when it ends. Without a styler (a prepared
// scene) every folder keeps its icon. GUI thread.
class ApplyJob : public QObject {
    Q_OBJECT

public:
    // Applies the styles of `models` through `styler` (not owned; nullptr: none). Nothing happens before
    // `start`.
    ApplyJob(QList<ColorizationModelsGroup::Model> models, FolderStyler* styler, QObject* parent = nullptr);
    ~ApplyJob() override;

    // Reads the icons `shownBefore` show now, ahead of every write of the job (reported by `iconsBefore`),
    // then hands every folder to the styler. With no folder, finishes on the next turn of the event loop.
    void start(const QList<Folder>& shownBefore = {});

    bool isFinished() const { return pending_ == 0; }
    // The folders that kept their old icon, in the order they reported.
    const QList<Folder>& failures() const { return failures_; }

Q_SIGNALS:
    // The icons of `shownBefore`, in its order; none when there is no styler.
    void iconsBefore(const QList<QImage>& icons);
    // One folder took its new icon, or kept its old one.
    void folderApplied(const pigmo::Folder& folder, bool succeeded);
    // Every folder reported; `failures` as above. The history recordings are handed to the disk.
    void finished(const QList<pigmo::Folder>& failures);

private:
    void applyWhenReady(const ColorizationModelsGroup::Model& model);
    void applyNow(const ColorizationModelsGroup::Model& model);
    void report(const Folder& folder, bool succeeded);

    QList<ColorizationModelsGroup::Model> models_;
    FolderStyler* styler_;
    std::unique_ptr<ColorizationHistoryStore::ScopedBatch> historyBatch_;
    qsizetype pending_;
    QList<Folder> failures_;
};

} // namespace pigmo
