#pragma once

#include "services/ColorizationModelsGroup.h"
#include "ui/main/DesignFiles.h"

class QWidget;

namespace pigmo {

class LocalizationManager;
class WindowDialogs;

// Saves the edited folders' rendered designs as PNG files: one folder's into a file chosen in a save panel,
// several into a directory chosen in a panel under unique names (files already there replaced only after
// one confirmation). The panels and the question run through the window's dialogs. GUI thread.
class DesignSaver {
public:
    // The panels open over `window`; all three outlive the saver.
    DesignSaver(QWidget& window, const LocalizationManager& localization, WindowDialogs& dialogs);

    // Saves the models' designs; true when files were written and none failed.
    bool save(const QList<ColorizationModelsGroup::Model>& models);
    // The result of the last batch save.
    const BatchSaveResult& lastBatchSave() const { return lastBatchSave_; }

private:
    bool saveOne(const ColorizationModelsGroup::Model& model);
    bool saveAll(const QList<ColorizationModelsGroup::Model>& models);

    QWidget& window_;
    const LocalizationManager& localization_;
    WindowDialogs& dialogs_;
    BatchSaveResult lastBatchSave_;
};

} // namespace pigmo
