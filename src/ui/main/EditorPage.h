#pragma once

#include "ui/editor/FolderPreviewColumn.h"

#include <QWidget>

#include <functional>

namespace pigmo {

class BottomBar;
class ColorizationModelsGroup;
class LocalizationManager;

// The main window's page while folders are edited: their preview column at the left, whose buttons act on
// `group` (resets through `Actions`), a divider, and at the right the pane of the current folder's editor
// over the bottom bar, whose buttons run `save` and `apply`.
class EditorPage : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<void(const Folder&)> reset;
        std::function<void()> resetAll;
        std::function<void()> save;
        std::function<void()> apply;
    };

    // `group` and `executors` outlive the page.
    EditorPage(ColorizationModelsGroup& group, Actions actions, LocalizationManager& localization, Executors& executors,
               int previewWidth, QWidget* parent = nullptr);

    FolderPreviewColumn* previewColumn() const { return previewColumn_; }
    QWidget* pane() const { return pane_; }
    BottomBar* bottomBar() const { return bottomBar_; }
    // Shows `editor` in the pane above the bottom bar; the pane takes it.
    void showEditor(QWidget* editor);

private:
    static FolderPreviewColumn::Actions previewActions(ColorizationModelsGroup& group, const Actions& actions);

    FolderPreviewColumn* previewColumn_;
    QWidget* pane_;
    BottomBar* bottomBar_;
};

} // namespace pigmo
