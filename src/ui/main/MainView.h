#pragma once

#include "ui/main/ScreenshotScenario.h"

#include <QHash>
#include <QList>
#include <QUrl>
#include <QWidget>

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
    // A view editing `urls`, in order (empty: the drop zone). `fileAboutToBeDropped` starts the drop
    // zone in its hover state.
    explicit MainView(const QList<QUrl>& urls, bool fileAboutToBeDropped = false, QWidget* parent = nullptr);
    // A view showing the demo folders of a screenshot scenario.
    explicit MainView(ScreenshotScenario scenario, QWidget* parent = nullptr);
    ~MainView() override;

    QList<QUrl> folderURLs() const;
    std::optional<QUrl> currentFolder() const;

    // Asks the user, in a directory panel opened in the parent of the first URL, which of the incoming
    // folders to edit; adds the chosen ones (once each) and, when exactly one was chosen, makes it
    // current. Cancelling changes nothing; an empty list opens nothing.
    void confirmAndAddFolders(const QList<QUrl>& urls);
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
    void addFolders(const QList<QUrl>& urls);
    void select(const QUrl& url);
    void refresh();
    QPixmap previewOf(const QUrl& folder);
    void setFileAboutToBeDropped(bool hovering);
    QList<QUrl> runDirectoryPanel(const QString& message, const QString& startDirectory);

    QList<QUrl> folders_;
    QHash<QUrl, ColorizationData> styles_; // the style each preview shows
    std::optional<qsizetype> currentIndex_;
    bool fileAboutToBeDropped_ = false;
    QStackedLayout* pages_ = nullptr;
    QFrame* dropZone_ = nullptr;
    QWidget* foldersPage_ = nullptr;
    QGridLayout* folderGrid_ = nullptr;
};

} // namespace pigmo
