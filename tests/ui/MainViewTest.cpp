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
    QUrl makeFolder(const QString& relative)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(relative));
        return QUrl::fromLocalFile(root.filePath(relative));
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
    MainView view(QList<QUrl>{}, false);
    EXPECT_TRUE(view.isShowingDropZone());
    EXPECT_EQ(view.currentFolder(), std::nullopt);
    const QUrl a = makeFolder(QStringLiteral("a"));
    MainView withFolder(QList<QUrl>{a, a}, false);
    EXPECT_FALSE(withFolder.isShowingDropZone());
    EXPECT_EQ(withFolder.currentFolder(), a);
}

TEST_F(MainViewTest, ConfirmingOpensInTheFirstFoldersParentAndAddsOnlyTheChosenOne)
{
    const QUrl first = makeFolder(QStringLiteral("parent/first"));
    const QUrl second = makeFolder(QStringLiteral("parent/second"));
    const QUrl present = makeFolder(QStringLiteral("present"));
    MainView view(QList<QUrl>{present}, false);
    answerNextPanel(view, {second.toLocalFile()});
    view.confirmAndAddFolders({first, second});
    EXPECT_EQ(openedIn, root.filePath(QStringLiteral("parent")));
    EXPECT_EQ(message, QStringLiteral("Confirm the folders you want to colorize"));
    EXPECT_EQ(view.folderURLs(), (QList<QUrl>{present, second}));
    EXPECT_EQ(view.currentFolder(), second);
}

TEST_F(MainViewTest, CancellingOrAnEmptyListChangesNothing)
{
    const QUrl a = makeFolder(QStringLiteral("a"));
    MainView view(QList<QUrl>{}, false);
    qRegisterMetaType<QFileDialog*>();
    QSignalSpy panels(&view, &MainView::directoryPanelOpened);
    view.confirmAndAddFolders({});
    EXPECT_EQ(panels.count(), 0);
    answerNextPanel(view, {});
    view.confirmAndAddFolders({a});
    EXPECT_EQ(panels.count(), 1);
    EXPECT_TRUE(view.folderURLs().isEmpty());
    EXPECT_TRUE(view.isShowingDropZone());
}

TEST_F(MainViewTest, DropsTakeOnlyFoldersAndHoverMarksTheZone)
{
    const QUrl folder = makeFolder(QStringLiteral("dropped"));
    QFile file(root.filePath(QStringLiteral("note.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    MainView view(QList<QUrl>{}, false);

    QMimeData onlyFile;
    onlyFile.setUrls({QUrl::fromLocalFile(file.fileName())});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &onlyFile, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_FALSE(view.fileAboutToBeDropped());

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(file.fileName()), folder});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mixed, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(view.fileAboutToBeDropped());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mixed, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &drop);
    EXPECT_FALSE(view.fileAboutToBeDropped());
    EXPECT_EQ(view.folderURLs(), QList<QUrl>{folder});
    EXPECT_FALSE(view.isShowingDropZone());
}
