#pragma once

#include "services/ColorizationModelsGroup.h"
#include "ui/main/ScreenshotScenario.h"

#include <QList>
#include <QWidget>

#include <memory>
#include <optional>

class QFileDialog;
class QFrame;
class QStackedLayout;
class QGridLayout;

namespace pigmo {

// The main window's content whenever the onboarding is not shown: the folders being edited, each with
// its live preview and name, or a drop zone while there are none. Folders come in by drop, by the
// "select folders" button, and from the application shell.
class MainView : public QWidget {
    Q_OBJECT
public:
    // A view editing `folders`, in order (empty: the drop zone), written through `styler` (not owned).
    // `fileAboutToBeDropped` starts the drop zone in its hover state.
    explicit MainView(const QList<Folder>& folders, bool fileAboutToBeDropped = false, FolderStyler* styler = nullptr,
                      QWidget* parent = nullptr);
    // A view showing the demo folders of a screenshot scenario.
    explicit MainView(ScreenshotScenario scenario, QWidget* parent = nullptr);
    // A view over a group made elsewhere.
    explicit MainView(std::unique_ptr<ColorizationModelsGroup> colorizers, QWidget* parent = nullptr);
    ~MainView() override;

    // The folders being edited and the current one; owned by the view for its whole life.
    ColorizationModelsGroup& colorizers() const { return *colorizers_; }
    QList<Folder> folders() const;
    std::optional<Folder> currentFolder() const;

    // Asks the user, in a directory panel opened in the parent of the first folder, which of the incoming
    // folders to edit; adds the chosen ones (once each) and, when exactly one was chosen, makes it
    // current. Cancelling changes nothing; an empty list opens nothing.
    void confirmAndAddFolders(const QList<Folder>& folders);
    // The drop zone's button: a directory panel whose chosen folders are added.
    void selectFolders();

    bool isShowingDropZone() const;
    bool fileAboutToBeDropped() const { return fileAboutToBeDropped_; }

Q_SIGNALS:
    // A directory panel of this view is about to run modally (tests answer it).
    void directoryPanelOpened(QFileDialog* panel);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildLayout();
    void refresh();
    void setFileAboutToBeDropped(bool hovering);
    QList<Folder> runDirectoryPanel(const QString& message, const QString& startDirectory);

    std::unique_ptr<ColorizationModelsGroup> colorizers_;
    bool fileAboutToBeDropped_ = false;
    QStackedLayout* pages_ = nullptr;
    QFrame* dropZone_ = nullptr;
    QWidget* foldersPage_ = nullptr;
    QGridLayout* folderGrid_ = nullptr;
};

} // namespace pigmo
