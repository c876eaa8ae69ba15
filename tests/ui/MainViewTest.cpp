#include "ui/main/MainView.h"
#include "support/DirectoryPanelAnswer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

using namespace pigmo;

namespace {

class MainViewTest : public ::testing::Test {
protected:
    Folder makeFolder(const QString& relative)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(relative));
        return *Folder::fromPath(root.filePath(relative));
    }
    // Answers the next panel with `folders` (empty: cancel) and records where it opened.
    void answerNextPanel(MainView& view, const QStringList& folders)
    {
        test::answerNextDirectoryPanel(&view, folders, [this](QFileDialog* panel) {
            openedIn = panel->directory().absolutePath();
            message = panel->windowTitle();
        });
    }
    QTemporaryDir root;
    QString openedIn;
    QString message;
};

} // namespace

TEST_F(MainViewTest, EmptyViewShowsTheDropZone)
{
    MainView view(QList<Folder>{}, false);
    EXPECT_TRUE(view.isShowingDropZone());
    EXPECT_EQ(view.currentFolder(), std::nullopt);
    const Folder a = makeFolder(QStringLiteral("a"));
    MainView withFolder(QList<Folder>{a, a}, false);
    EXPECT_FALSE(withFolder.isShowingDropZone());
    EXPECT_EQ(withFolder.currentFolder(), a);
}

TEST_F(MainViewTest, ConfirmingOpensInTheFirstFoldersParentAndAddsOnlyTheChosenOne)
{
    const Folder first = makeFolder(QStringLiteral("parent/first"));
    const Folder second = makeFolder(QStringLiteral("parent/second"));
    const Folder present = makeFolder(QStringLiteral("present"));
    MainView view(QList<Folder>{present}, false);
    answerNextPanel(view, {second.path()});
    view.confirmAndAddFolders({first, second});
    EXPECT_EQ(openedIn, root.filePath(QStringLiteral("parent")));
    EXPECT_EQ(message, QStringLiteral("Confirm the folders you want to colorize"));
    EXPECT_EQ(view.folders(), (QList<Folder>{present, second}));
    EXPECT_EQ(view.currentFolder(), second);
}

TEST_F(MainViewTest, CancellingOrAnEmptyListChangesNothing)
{
    const Folder a = makeFolder(QStringLiteral("a"));
    MainView view(QList<Folder>{}, false);
    qRegisterMetaType<QFileDialog*>();
    QSignalSpy panels(&view, &MainView::directoryPanelOpened);
    view.confirmAndAddFolders({});
    EXPECT_EQ(panels.count(), 0);
    answerNextPanel(view, {});
    view.confirmAndAddFolders({a});
    EXPECT_EQ(panels.count(), 1);
    EXPECT_TRUE(view.folders().isEmpty());
    EXPECT_TRUE(view.isShowingDropZone());
}

TEST_F(MainViewTest, DropsTakeOnlyFoldersAndHoverMarksTheZone)
{
    const Folder folder = makeFolder(QStringLiteral("dropped"));
    QFile file(root.filePath(QStringLiteral("note.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    MainView view(QList<Folder>{}, false);

    QMimeData onlyFile;
    onlyFile.setUrls({QUrl::fromLocalFile(file.fileName())});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &onlyFile, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_FALSE(view.fileAboutToBeDropped());

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(file.fileName()), folder.url()});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mixed, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(view.fileAboutToBeDropped());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mixed, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &drop);
    EXPECT_FALSE(view.fileAboutToBeDropped());
    EXPECT_EQ(view.folders(), QList<Folder>{folder});
    EXPECT_FALSE(view.isShowingDropZone());
}
