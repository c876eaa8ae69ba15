#include "ui/main/MainView.h"

#include "editor/EditorTestServices.h"
#include "platform/FolderIconStore.h"
#include "platform/FolderIcons.h"
#include "platform/GvfsMetadata.h"
#include "services/FolderStyler.h"
#include "storage/ExtendedAttributesManager.h"
#include "support/DirectoryPanelAnswer.h"
#include "support/FileSystem.h"
#include "support/FullDisk.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/ControlStyle.h"
#include "ui/controls/MainToolbar.h"
#include "ui/editor/DashedOutline.h"
#include "ui/editor/PillButton.h"
#include "ui/history/HistoryView.h"
#include "ui/main/ApplySequencer.h"
#include "ui/main/BottomBar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>

using namespace pigmo;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class MainViewTest : public ::testing::Test {
protected:
    Folder makeFolder(const QString& relative)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(relative));
        return Folder::unchecked(root.filePath(relative));
    }
    std::unique_ptr<MainView> makeView(const QList<Folder>& urls)
    {
        // Smart styling off: the tests set every style themselves.
        return std::make_unique<MainView>(
            std::make_unique<ColorizationModelsGroup>(urls, false, services.services().colorization(&styler)),
            services.services());
    }
    // Answers the next panel with `files` (empty: cancel) and records where it opened and what it showed.
    void answerNextPanel(MainView& view, const QStringList& files)
    {
        test::answerNextDirectoryPanel(&view, files, [this](QFileDialog* panel) {
            openedIn = panel->directory().absolutePath();
            message = panel->windowTitle();
            preselected = panel->selectedFiles();
        });
    }
    // Clicks, in the next question of the view, the button of `role`.
    static void answerNextQuestion(MainView& view, QMessageBox::ButtonRole role, int* asked = nullptr)
    {
        QObject::connect(
            &view, &MainView::questionOpened, &view,
            [role, asked](QMessageBox* question) {
                if (asked)
                    ++*asked;
                QTimer::singleShot(0, question, [question, role] {
                    for (QAbstractButton* button : question->buttons()) {
                        if (question->buttonRole(button) == role)
                            button->click();
                    }
                });
            },
            Qt::SingleShotConnection);
    }
    static bool waitForApply(MainView& view)
    {
        QSignalSpy finished(&view, &MainView::applyFinished);
        view.applyAll();
        return finished.count() > 0 || finished.wait(20000);
    }

    test::EditorTestServices services;
    FolderStyler styler{services.executors, services.history, services.attributes, services.smartIcons()};
    QTemporaryDir root;
    QString openedIn;
    QString message;
    QStringList preselected;
};

} // namespace

TEST_F(MainViewTest, RouterPrefersSettingsThenHistoryThenDropZoneThenEditor)
{
    const auto view = makeView({});
    EXPECT_EQ(view->page(), MainView::Page::dropZone);
    EXPECT_TRUE(view->backButton()->isHidden());
    view->colorizers().addFolders(QList<Folder>{makeFolder(QStringLiteral("a"))});
    EXPECT_EQ(view->page(), MainView::Page::editor);
    EXPECT_FALSE(view->backButton()->isHidden());
    EXPECT_NE(view->colorizerView(), nullptr);

    view->setHistoryOpened(true);
    EXPECT_EQ(view->page(), MainView::Page::history);
    EXPECT_TRUE(view->backButton()->isHidden()) << "no back button over the history page";
    view->setSettingsOpened(true);
    EXPECT_EQ(view->page(), MainView::Page::settings) << "settings win over history";
    view->toolbar()->homeButton()->click();
    EXPECT_EQ(view->page(), MainView::Page::editor);

    auto* settings = new QWidget;
    view->setSettingsPage(settings);
    view->setSettingsOpened(true);
    EXPECT_TRUE(settings->isVisibleTo(view.get()));
}

TEST_F(MainViewTest, TheHistoryPageOpensAFolderInTheEditor)
{
    const Folder a = makeFolder(QStringLiteral("a"));
    const Folder b = makeFolder(QStringLiteral("b"));
    const auto view = makeView({a});
    view->setHistoryOpened(true);
    auto* history = view->findChild<HistoryView*>();
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisibleTo(view.get()));
    Q_EMIT history->folderSelected(b);
    EXPECT_FALSE(view->isHistoryOpened());
    EXPECT_EQ(view->folders(), (QList<Folder>{a, b}));
    EXPECT_EQ(view->currentFolder(), b);
}

TEST_F(MainViewTest, OpeningFromHistoryAddsOnceAndMakesCurrent)
{
    const Folder a = makeFolder(QStringLiteral("a"));
    const Folder b = makeFolder(QStringLiteral("b"));
    const auto view = makeView({a, b});
    view->setHistoryOpened(true);
    view->openFromHistory(a);
    EXPECT_EQ(view->folders(), (QList<Folder>{a, b}));
    EXPECT_EQ(view->currentFolder(), a);
    EXPECT_EQ(view->page(), MainView::Page::editor);
}

TEST_F(MainViewTest, BackButtonDiscardsOnlyAfterTheAlertSaysSo)
{
    const Folder a = makeFolder(QStringLiteral("a"));
    const Folder b = makeFolder(QStringLiteral("b"));
    const auto view = makeView({a, b});
    view->show();
    view->backButton()->click();
    ASSERT_NE(view->discardAlert(), nullptr);
    EXPECT_EQ(view->discardAlert()->text(), QStringLiteral("Discard changes?"));
    EXPECT_EQ(view->folders().size(), 2) << "nothing goes before the answer";
    const auto click = [&](QMessageBox::ButtonRole role) {
        for (QAbstractButton* button : view->discardAlert()->buttons()) {
            if (view->discardAlert()->buttonRole(button) == role)
                button->click();
        }
    };
    click(QMessageBox::RejectRole);
    EXPECT_EQ(view->folders().size(), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->discardAlert() == nullptr; }));

    view->backButton()->click();
    ASSERT_NE(view->discardAlert(), nullptr);
    click(QMessageBox::DestructiveRole);
    EXPECT_TRUE(view->folders().isEmpty());
    EXPECT_TRUE(view->isShowingDropZone());
    EXPECT_TRUE(GvfsMetadata::customIcon(a.path()).isEmpty()) << "discarding touches no folder";
}

TEST_F(MainViewTest, DropsTakeOnlyFoldersAndHoverMarksTheZone)
{
    const Folder folder = makeFolder(QStringLiteral("dropped"));
    QFile file(root.filePath(QStringLiteral("note.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const auto view = makeView({});
    const auto opacity = [&] { return ui::opacityOf(*view->dropZone()); };
    auto* outline = view->dropZone()->findChild<DashedOutline*>();
    ASSERT_NE(outline, nullptr);

    QMimeData onlyFile;
    onlyFile.setUrls({QUrl::fromLocalFile(file.fileName())});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &onlyFile, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_FALSE(view->fileAboutToBeDropped());

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(file.fileName()), folder.url()});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mixed, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(view->fileAboutToBeDropped());
    EXPECT_DOUBLE_EQ(opacity(), 0.7);
    EXPECT_FALSE(outline->isHidden());
    QDragLeaveEvent leave;
    QApplication::sendEvent(view.get(), &leave);
    EXPECT_DOUBLE_EQ(opacity(), 1.0);
    EXPECT_TRUE(outline->isHidden());

    QApplication::sendEvent(view.get(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mixed, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &drop);
    EXPECT_FALSE(view->fileAboutToBeDropped());
    EXPECT_EQ(view->folders(), QList<Folder>{folder});
    EXPECT_EQ(view->page(), MainView::Page::editor);
}

TEST_F(MainViewTest, IncomingFoldersAreOfferedSelectedInTheirCommonParent)
{
    const Folder first = makeFolder(QStringLiteral("parent/first"));
    const Folder second = makeFolder(QStringLiteral("parent/second"));
    const Folder present = makeFolder(QStringLiteral("present"));
    const auto view = makeView({present});
    answerNextPanel(*view, {second.path()});
    view->confirmAndAddFolders({first, second});
    EXPECT_EQ(openedIn, root.filePath(QStringLiteral("parent")));
    EXPECT_EQ(message, QStringLiteral("Confirm the folders you want to colorize"));
    EXPECT_TRUE(preselected.contains(first.path())) << preselected.join(u' ').toStdString();
    EXPECT_TRUE(preselected.contains(second.path()));
    EXPECT_EQ(view->folders(), (QList<Folder>{present, second}));
    EXPECT_EQ(view->currentFolder(), second);

    qRegisterMetaType<QFileDialog*>();
    QSignalSpy panels(view.get(), &MainView::directoryPanelOpened);
    view->confirmAndAddFolders({});
    EXPECT_EQ(panels.count(), 0);
    answerNextPanel(*view, {});
    view->confirmAndAddFolders({first});
    EXPECT_EQ(panels.count(), 1);
    EXPECT_EQ(view->folders().size(), 2) << "cancelling adds nothing";

    // Folders of different parents: the panel opens in the deepest folder holding them all.
    const Folder deepA = makeFolder(QStringLiteral("deep/one/a"));
    const Folder deepB = makeFolder(QStringLiteral("deep/two/b"));
    answerNextPanel(*view, {});
    view->confirmAndAddFolders({deepA, deepB});
    EXPECT_EQ(openedIn, root.filePath(QStringLiteral("deep")));
}

TEST_F(MainViewTest, ApplyShowsItsProgressThenTheCheckmark)
{
    const Folder a = makeFolder(QStringLiteral("apply/a"));
    const Folder b = makeFolder(QStringLiteral("apply/b"));
    const auto view = makeView({a, b});
    view->show();
    view->colorizers().models()[0]->setColor(HSL{300, 80, 50});
    view->colorizers().models()[1]->setColor(HSL{40, 90, 55});
    QSignalSpy outcome(&view->sequencer(), &ApplySequencer::outcomeShown);
    QSignalSpy cleared(&view->sequencer(), &ApplySequencer::cleared);

    QSignalSpy finished(view.get(), &MainView::applyFinished);
    view->applyAll();
    EXPECT_TRUE(view->isLoading());
    EXPECT_EQ(view->bottomBar()->state(), BottomBar::State::loading);
    EXPECT_FALSE(view->previewColumn()->resetButton()->isEnabled()) << "no reset while applying";
    EXPECT_FALSE(view->applyOverlay()->isHidden());
    EXPECT_EQ(view->applyOverlay()->items().size(), 2);
    view->resetAll(); // refused while applying
    EXPECT_EQ(view->colorizers().models()[0]->color(), (HSL{300, 80, 50}));
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(view->isLoading());
    EXPECT_EQ(view->bottomBar()->state(), BottomBar::State::buttons) << "applying never shows the save badge";
    EXPECT_TRUE(view->lastApplyFailures().isEmpty());

    ASSERT_TRUE(outcome.count() > 0 || outcome.wait(5000));
    EXPECT_TRUE(outcome.first().first().toBool());
    EXPECT_TRUE(view->applyOverlay()->showCheckmark());
    ASSERT_TRUE(cleared.wait(5000));
    EXPECT_TRUE(view->applyOverlay()->isHidden());
    EXPECT_TRUE(view->applyOverlay()->items().isEmpty());
}

// The cards start at once; the folders' old icons are read off the GUI thread, before any new one is set.
TEST_F(MainViewTest, TheCardsShowTheIconsTheFoldersHadBeforeTheApply)
{
    const Folder a = makeFolder(QStringLiteral("again/a"));
    const auto view = makeView({a});
    view->colorizers().models()[0]->setColor(HSL{0, 90, 50});
    ASSERT_TRUE(waitForApply(*view));
    const QImage red = FolderIcons::icon(a.path());
    ASSERT_FALSE(red.isNull());

    view->colorizers().models()[0]->setColor(HSL{220, 90, 50});
    QSignalSpy finished(view.get(), &MainView::applyFinished);
    view->applyAll();
    ASSERT_EQ(view->applyOverlay()->items().size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->applyOverlay()->items().first().before.isNull(); }, 5000));
    EXPECT_EQ(view->applyOverlay()->items().first().before, red);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(20000));
}

TEST_F(MainViewTest, AFolderThatRefusesItsIconIsNamedUnderAFailureBadge)
{
    const Folder kept = makeFolder(QStringLiteral("refused/kept"));
    const Folder gone = makeFolder(QStringLiteral("refused/gone"));
    const auto view = makeView({kept, gone});
    view->show();
    QSignalSpy outcome(&view->sequencer(), &ApplySequencer::outcomeShown);
    ASSERT_TRUE(QDir().mkpath(FolderIconStore::directory()));
    {
        const test::WriteProtection store(FolderIconStore::directory());
        if (!store.active())
            GTEST_SKIP() << "cannot protect the icon store here";
        ASSERT_TRUE(waitForApply(*view));
    }
    EXPECT_EQ(view->lastApplyFailures(), (QList<Folder>{kept, gone}));
    ASSERT_TRUE(outcome.count() > 0 || outcome.wait(5000));
    EXPECT_FALSE(outcome.first().first().toBool());
    EXPECT_FALSE(view->applyOverlay()->showCheckmark()) << "no checkmark over a failure";
    ASSERT_FALSE(view->sequencer().failureBadge()->isHidden());
    EXPECT_EQ(view->sequencer().failureBadge()->message(), QStringLiteral("These folders kept their icon: kept, gone"));
    const QImage frame = view->grab().toImage();
    // Inside the badge, below its white cross.
    const QPoint badge =
        (QRectF(view->rect()).center() + view->applyOverlay()->badgeOffset() + QPointF(0, 20)).toPoint();
    EXPECT_EQ(frame.pixelColor(badge * frame.devicePixelRatio()).red(), ApplyFailureBadge::badgeRed.red());
}

// The folder takes its icon, but the disk has no room for the history's new text: an alert says so once the
// apply's write has failed, and the history stays as it was, byte for byte.
TEST_F(MainViewTest, AHistoryThatCannotBeWrittenAfterAnApplyIsSaidInAnAlert)
{
    const Folder a = makeFolder(QStringLiteral("unrecorded/a"));
    const QString log = services.history.storageDirectory() + u'/' + ColorizationHistoryStore::logFileName;
    test::FullDisk disk(services.history.storageDirectory());
    services.history.beginBatch();
    for (int n = 0; n < 4000; ++n)
        services.history.record(QStringLiteral("/recorded/%1").arg(n), ColorizationData{});
    services.history.endBatch();
    const QByteArray before = contents(log);
    const auto view = makeView({a});
    view->show();
    view->colorizers().models()[0]->setColor(HSL{120, 80, 50});
    disk.fill(before.size() / 2); // room for the folder's journal and icon, not for a log longer than this one
    ASSERT_TRUE(waitForApply(*view));
    EXPECT_TRUE(view->lastApplyFailures().isEmpty()) << "the folder took its icon";
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->historyAlert() != nullptr; }, 10000));
    EXPECT_EQ(view->historyAlert()->text(), QStringLiteral("The history could not be saved"));
    EXPECT_EQ(view->historyAlert()->detailedText(), disk.reason());
    EXPECT_EQ(contents(log), before);
}

TEST_F(MainViewTest, ResetAllRemovesEveryIconAndRestoresTheDefaults)
{
    const Folder a = makeFolder(QStringLiteral("reset/a"));
    const Folder b = makeFolder(QStringLiteral("reset/b"));
    const auto view = makeView({a, b});
    view->colorizers().models()[0]->setColor(HSL{300, 80, 50});
    ASSERT_TRUE(waitForApply(*view));
    ASSERT_FALSE(GvfsMetadata::customIcon(a.path()).isEmpty());
    view->resetAll();
    EXPECT_EQ(view->colorizers().models()[0]->color(), ColorizationViewModel::defaultColor);
    EXPECT_TRUE(QTest::qWaitFor([&] { return GvfsMetadata::customIcon(a.path()).isEmpty(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return GvfsMetadata::customIcon(b.path()).isEmpty(); }, 5000));
    EXPECT_FALSE(ExtendedAttributesManager{}.readSettings(a.path()));
    // The removals hand their completions back to this thread: let them all arrive.
    ASSERT_TRUE(QTest::qWaitFor([] { return QThreadPool::globalInstance()->activeThreadCount() == 0; }, 5000));
    QTest::qWait(50);
}

TEST_F(MainViewTest, EachFolderPanelSaysWhatItIsFor)
{
    const Folder photos = makeFolder(QStringLiteral("Photos"));
    const auto view = makeView({});
    answerNextPanel(*view, {photos.path()});
    view->selectFolders();
    EXPECT_EQ(message, QStringLiteral("Choose the folders you want to colorize"));
    ASSERT_EQ(view->folders(), QList<Folder>{photos});

    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->colorizers().models().first()->image().isNull(); }, 5000));
    answerNextPanel(*view, {});
    view->saveDesigns(); // one design: a PNG file
    EXPECT_EQ(message, QStringLiteral("Save the folder design as an image"));

    view->colorizers().addFolders({makeFolder(QStringLiteral("Music"))});
    answerNextPanel(*view, {});
    view->saveDesigns(); // several: a folder to hold them
    EXPECT_EQ(message, QStringLiteral("Choose a folder to save the designs in"));
}

TEST_F(MainViewTest, SavingOneDesignWritesItsPngAndShowsTheBadge)
{
    const Folder folder = makeFolder(QStringLiteral("Photos.2024"));
    const auto view = makeView({folder});
    const QString target = root.filePath(QStringLiteral("out.png"));
    answerNextPanel(*view, {target});
    qRegisterMetaType<QFileDialog*>();
    QString proposed;
    QObject::connect(
        view.get(), &MainView::directoryPanelOpened, view.get(),
        [&](QFileDialog* panel) { proposed = QFileInfo(panel->selectedFiles().value(0)).fileName(); },
        Qt::SingleShotConnection);
    view->saveDesigns();
    EXPECT_EQ(proposed, QStringLiteral("Photos_icon.png"));
    QImage saved(target);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), view->colorizers().models().first()->image().size());
    EXPECT_EQ(view->bottomBar()->state(), BottomBar::State::success);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->isSuccess(); }, 3000));
}

TEST_F(MainViewTest, SavingAllKeepsCollidingNamesApartAndAsksOnceBeforeReplacing)
{
    const QList<Folder> folders = {makeFolder(QStringLiteral("x/v1.2")), makeFolder(QStringLiteral("x/v1.5")),
                                   makeFolder(QStringLiteral("y/v1.2"))};
    const auto view = makeView(folders);
    const QString out = root.filePath(QStringLiteral("designs"));
    ASSERT_TRUE(QDir().mkpath(out));
    QFile existing(out + QStringLiteral("/v1_icon.png"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old");
    existing.close();

    int asked = 0;
    answerNextPanel(*view, {out});
    answerNextQuestion(*view, QMessageBox::RejectRole, &asked);
    view->saveDesigns();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{QStringLiteral("v1_icon.png")}) << "declined: nothing";
    EXPECT_EQ(view->bottomBar()->state(), BottomBar::State::buttons);

    answerNextPanel(*view, {out});
    answerNextQuestion(*view, QMessageBox::AcceptRole, &asked);
    view->saveDesigns();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("v1 (2)_icon.png"), QStringLiteral("v1 (3)_icon.png"),
                           QStringLiteral("v1_icon.png")}));
    EXPECT_FALSE(QImage(out + QStringLiteral("/v1_icon.png")).isNull()) << "the old file was replaced";
    EXPECT_EQ(view->lastBatchSave().written.size(), 3);
    EXPECT_TRUE(view->isSuccess());

    answerNextPanel(*view, {});
    view->saveDesigns();
    EXPECT_EQ(view->lastBatchSave().written.size(), 3) << "a cancelled panel saves nothing";
}

TEST_F(MainViewTest, TestAnimationClosesSettingsAndPlaysOneCard)
{
    const auto view = makeView({});
    view->setSettingsOpened(true);
    view->setHistoryOpened(true);
    QSignalSpy outcome(&view->sequencer(), &ApplySequencer::outcomeShown);
    Q_EMIT view->pigmoTestApplyAnimation();
    EXPECT_FALSE(view->isSettingsOpened());
    EXPECT_TRUE(view->isHistoryOpened()) << "the history page stays";
    ASSERT_EQ(view->applyOverlay()->items().size(), 1);
    EXPECT_FALSE(view->applyOverlay()->items().first().after.isNull());
    EXPECT_FALSE(view->isLoading());
    ASSERT_TRUE(outcome.count() > 0 || outcome.wait(5000));
    EXPECT_TRUE(outcome.first().first().toBool());
}
