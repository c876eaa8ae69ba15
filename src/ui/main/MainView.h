#pragma once

#include "services/ColorizationModelsGroup.h"
#include "ui/editor/ApplyAnimationOverlay.h"
#include "ui/editor/EditorServices.h"
#include "ui/editor/FolderPreviewColumn.h"
#include "ui/main/DesignSaver.h"
#include "ui/main/DropZone.h"
#include "ui/main/EditorPage.h"
#include "ui/main/ScreenshotScenario.h"
#include "ui/main/TitleBar.h"
#include "ui/main/WindowDialogs.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class QFileDialog;
class QStackedLayout;
class QToolButton;

namespace pigmo {

class ApplyJob;
class ApplySequencer;
class BottomBar;
class FolderColorizerView;
class FolderStyler;
class MainToolbar;

// The main window's content whenever the onboarding is not shown. Owns the folders being edited and routes
// between four pages, in this order of precedence: the settings page, the history page, the drop zone (no
// folder yet) and the editor (the previews of all folders, the current folder's editor pane and the bar that
// saves or applies). It hosts the apply animation over everything and the discard-changes alert of the back
// button. Every write to a folder goes through the folders' view models and their icon queue. GUI thread.
class MainView : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize contentSize{900, 560};
    static constexpr int toolbarHeight = 36;
    static constexpr double previewShare = 0.6;
    static constexpr int successDisplayMilliseconds = 1500;

    // A view editing `urls` in order (empty: the drop zone), folders without a style being styled by the smart
    // workflow. `fileAboutToBeDropped` starts the drop zone in its hover state. Writes go through `styler` (not
    // owned; nullptr: none).
    MainView(const QList<Folder>& folders, bool fileAboutToBeDropped, FolderStyler* styler,
             const EditorServices& services, QWidget* parent = nullptr);
    // A view showing the demo folders of a screenshot scenario, built at once.
    MainView(ScreenshotScenario scenario, const EditorServices& services, QWidget* parent = nullptr);
    // A view over a group made elsewhere.
    MainView(std::unique_ptr<ColorizationModelsGroup> colorizers, const EditorServices& services,
             QWidget* parent = nullptr);
    ~MainView() override;

    ColorizationModelsGroup& colorizers() const { return *colorizers_; }
    QList<Folder> folders() const;
    std::optional<Folder> currentFolder() const;

    // Routing.
    enum class Page { settings, history, dropZone, editor };
    Page page() const;
    bool isShowingDropZone() const { return page() == Page::dropZone; }
    bool isSettingsOpened() const { return isSettingsOpened_; }
    bool isHistoryOpened() const { return isHistoryOpened_; }
    void setSettingsOpened(bool opened);
    void setHistoryOpened(bool opened);
    // The pages other views provide; until then an empty page stands in for the settings, and the history
    // page over the editor's history store is made when first opened. The view takes ownership.
    void setSettingsPage(QWidget* page);
    void setHistoryPage(QWidget* page);
    bool fileAboutToBeDropped() const { return fileAboutToBeDropped_; }
    bool isLoading() const { return isLoading_; }
    bool isSuccess() const { return isSuccess_; }

    // The back button asks whether to drop every edit; "discard" runs `discardAll`.
    void askToDiscard();
    void discardAll();
    // A folder chosen on the history page: added once, made current, and the editor shown.
    void openFromHistory(const Folder& folder);
    // The drop zone's button: a directory panel whose chosen folders are added.
    void selectFolders();
    // Dropped URLs: the local directories among them are added.
    void handleDrop(const QList<QUrl>& urls);
    // Folders handed over while the window is open: a directory panel opened in their common parent with them
    // selected; the chosen folders are added, and made current when only one was chosen.
    void confirmAndAddFolders(const QList<Folder>& folders);

    // The preview column's actions that the group (copying, randomising, spreading colours) and the models
    // (smart styling) do not do alone: resets are refused while applying.
    void reset(const Folder& folder);
    void resetAll();

    // Applies every folder's style (an ApplyJob) while the animation plays (at most ten folders animated,
    // their cards showing the icons they had before). Ends on the checkmark when every folder took its icon,
    // else on a failure badge naming the others. When the history of the apply cannot be written afterwards
    // (a full disk), an alert says so.
    void applyAll();
    // The failed folders of the last finished apply.
    const QList<Folder>& lastApplyFailures() const { return lastApplyFailures_; }
    // Plays the animation on one sample folder; touches no folder.
    void playTestApplyAnimation();

    // Saves the rendered designs as PNG files: one folder through a save panel, several into a chosen
    // directory under unique names (existing files there replaced only after one confirmation).
    void saveDesigns();
    void showSaveSuccess();
    // The result of the last batch save.
    const BatchSaveResult& lastBatchSave() const { return designSaver_.lastBatchSave(); }

    // Parts, for tests and screenshots.
    QToolButton* backButton() const { return titleBar_->backButton(); }
    MainToolbar* toolbar() const { return toolbar_; }
    QWidget* dropZone() const { return dropZone_; }
    FolderPreviewColumn* previewColumn() const { return editor_->previewColumn(); }
    FolderColorizerView* colorizerView() const;
    QWidget* editorPane() const { return editor_->pane(); }
    BottomBar* bottomBar() const { return editor_->bottomBar(); }
    ApplyAnimationOverlay* applyOverlay() const { return overlay_; }
    ApplySequencer& sequencer() const { return *sequencer_; }
    QMessageBox* discardAlert() const { return discardAlert_; }
    QMessageBox* historyAlert() const { return historyAlert_; }

    // The name under which the single-instance channel delivers `pigmoTestApplyAnimation`.
    static inline const QString testApplyAnimationNotification = QStringLiteral("pigmoTestApplyAnimation");

Q_SIGNALS:
    // The in-process request "pigmoTestApplyAnimation": plays the test animation.
    void pigmoTestApplyAnimation();
    // A file panel of this view is about to run modally (tests answer it).
    void directoryPanelOpened(QFileDialog* panel);
    // A question of this view is about to run modally (tests answer it).
    void questionOpened(QMessageBox* question);
    // An apply finished: every folder reported back.
    void applyFinished();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildLayout(const EditorServices& services);
    void replacePage(QWidget*& slot, QWidget* page);
    void route();
    void refreshEditor();
    void setFileAboutToBeDropped(bool hovering);
    void setLoading(bool loading);
    void setSuccess(bool success);
    void finishApply(int generation, const QList<Folder>& failures);
    void sayHistoryNotWritten(const QString& error);

    EditorServices services_;
    std::unique_ptr<ColorizationModelsGroup> colorizers_;
    bool fileAboutToBeDropped_ = false;
    bool isSettingsOpened_ = false;
    bool isHistoryOpened_ = false;
    bool isLoading_ = false;
    bool isSuccess_ = false;
    int successGeneration_ = 0;
    QList<Folder> lastApplyFailures_;
    std::unique_ptr<ApplyJob> applyJob_; // the last apply
    WindowDialogs dialogs_;
    DesignSaver designSaver_;

    QStackedLayout* pages_ = nullptr;
    QWidget* settingsPage_ = nullptr;
    QWidget* historyPage_ = nullptr;
    bool historyPageSet_ = false;
    DropZone* dropZone_ = nullptr;
    EditorPage* editor_ = nullptr;
    TitleBar* titleBar_ = nullptr;
    MainToolbar* toolbar_ = nullptr;
    QPointer<FolderColorizerView> colorizerView_;
    std::weak_ptr<ColorizationViewModel> shownModel_;
    ApplyAnimationOverlay* overlay_ = nullptr;
    std::unique_ptr<ApplySequencer> sequencer_;
    QPointer<QMessageBox> discardAlert_;
    QPointer<QMessageBox> historyAlert_;
};

} // namespace pigmo
