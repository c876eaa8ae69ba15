#pragma once

#include "services/ColorizationModelsGroup.h"
#include "ui/main/DesignFiles.h"

#include <functional>

class QFileDialog;
class QMessageBox;
class QWidget;

namespace pigmo {

class LocalizationManager;

// Saves the edited folders' rendered designs as PNG files: one folder's into a file chosen in a save panel,
// several into a directory chosen in a panel under unique names (files already there replaced only after
// one confirmation). The window runs the panels and the question, as `Dialogs` says. GUI thread.
class DesignSaver {
public:
    struct Dialogs {
        // Runs a panel modally: the file or folders chosen, empty when cancelled.
        std::function<QList<Folder>(QFileDialog& panel)> runPanel;
        // Runs a question modally: true when its accepting button was clicked.
        std::function<bool(QMessageBox& question)> ask;
    };

    // The panels and the question open over `window`; all three outlive the saver.
    DesignSaver(QWidget& window, const LocalizationManager& localization, Dialogs dialogs);

    // Saves the models' designs; true when files were written and none failed.
    bool save(const QList<ColorizationModelsGroup::Model>& models);
    // The result of the last batch save.
    const BatchSaveResult& lastBatchSave() const { return lastBatchSave_; }

private:
    bool saveOne(const ColorizationModelsGroup::Model& model);
    bool saveAll(const QList<ColorizationModelsGroup::Model>& models);

    QWidget& window_;
    const LocalizationManager& localization_;
    Dialogs dialogs_;
    BatchSaveResult lastBatchSave_;
};

} // namespace pigmo
