// The window as the program composes it, built through the same class `main` runs: the toolbar and exactly
// one page at every start, the pages opened from the toolbar's real buttons, the onboarding's end, folders
// handed over by a later start, their apply and the history that lists them; what the window takes from a
// drag, the questions it asks, the onboarding's suggestions, the interface language, the icons of the other
// folders and the start of the folder watcher. Every click lands where the control is drawn, on whatever
// widget is on top there, as a user's click does.

#include "app/WindowProgram.h"
#include "app/AppDelegate.h"
#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "platform/SingleInstance.h"
#include "services/FolderWatcherService.h"
#include "services/LocalizationManager.h"
#include "services/OnboardingFlow.h"
#include "storage/BundleResources.h"
#include "storage/Preferences.h"
#include "support/CoveredControls.h"
#include "support/FocusRings.h"
#include "support/LogCapture.h"
#include "ui/controls/ColorPickerPopup.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/CustomGradientSlider.h"
#include "ui/controls/HSLSlider.h"
#include "ui/controls/IntensityDotControl.h"
#include "ui/controls/MainToolbar.h"
#include "ui/controls/SearchBar.h"
#include "ui/controls/TextButton.h"
#include "ui/editor/CellGrid.h"
#include "ui/editor/ColorTab.h"
#include "ui/editor/DetailsTab.h"
#include "ui/editor/FolderColorizerView.h"
#include "ui/editor/FolderPreviewColumn.h"
#include "ui/editor/IconTab.h"
#include "ui/editor/PillButton.h"
#include "ui/history/HistoryModels.h"
#include "ui/history/HistoryView.h"
#include "ui/main/BottomBar.h"
#include "ui/main/MainView.h"
#include "ui/onboarding/OnboardingButtons.h"
#include "ui/onboarding/OnboardingScreens.h"
#include "ui/onboarding/OnboardingSuggestionsScreen.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/settings/SettingsMenu.h"
#include "ui/settings/SettingsView.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <future>

using namespace pigmo;

namespace {

using Page = MainView::Page;

class WindowProgramTest : public ::testing::Test {
protected:
    // Every start begins in English with the folder watcher off, whatever an earlier test stored.
    void SetUp() override
    {
        Preferences::setValue(prefs::appLanguage, QStringLiteral("en"));
        Preferences::setValue(prefs::folderWatcherEnabled, false);
    }
    void TearDown() override { SetUp(); }

    static void completeOnboarding() { Preferences::setValue(prefs::hasCompletedOnboarding, true); }

    // Folders handed over by a later start, as `pigmo2 --open A B` does; the main view once it shows them.
    static MainView* handOver(WindowProgram& program, const QStringList& folders)
    {
        program.delegate().handleForwardedRequest(LaunchRequest{LaunchRequest::Action::open, folders});
        MainView* view = program.delegate().contentView();
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->folders().size() == folders.size(); }));
        return view;
    }

    QString makeFolder(const QString& name)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(name));
        return QDir(root.path()).filePath(name);
    }

    // The pages of `view` that are shown, by name.
    static QStringList shownPages(const MainView& view)
    {
        QStringList shown;
        const auto add = [&](const QString& name, const QWidget* page) {
            if (page && page->isVisible())
                shown.append(name);
        };
        add(QStringLiteral("settings"), view.findChild<SettingsView*>());
        add(QStringLiteral("history"), view.findChild<HistoryView*>());
        add(QStringLiteral("drop zone"), view.dropZone());
        add(QStringLiteral("editor"), view.previewColumn());
        return shown;
    }

    // What a user sees of the main view: its window in front, the toolbar's buttons shown and on top, every
    // visible control reachable, and exactly the page `expected`.
    static void expectUsable(const MainView& view, const QString& expected)
    {
        ASSERT_TRUE(view.window()->isVisible());
        const MainToolbar* toolbar = view.toolbar();
        for (const QWidget* button :
             {static_cast<QWidget*>(toolbar->homeButton()), static_cast<QWidget*>(toolbar->historyButton()),
              static_cast<QWidget*>(toolbar->settingsButton())})
            EXPECT_TRUE(button->isVisible()) << button->accessibleName().toStdString();
        EXPECT_EQ(test::coveredControls(view.window()).join(u'\n').toStdString(), "");
        EXPECT_EQ(shownPages(view).join(u',').toStdString(), expected.toStdString());
    }

    static void click(QWidget* control)
    {
        ASSERT_TRUE(test::clickWhereDrawn(control)) << control->accessibleName().toStdString();
        QApplication::processEvents();
    }

    // A click at `point` of `widget`, delivered to whatever widget of its window is on top there.
    static void clickAt(QWidget* widget, QPoint point)
    {
        QWidget* window = widget->window();
        const QPoint at = widget->mapTo(window, point);
        QWidget* hit = window->childAt(at);
        ASSERT_TRUE(hit);
        QTest::mouseClick(hit, Qt::LeftButton, Qt::NoModifier, hit->mapFrom(window, at));
        QApplication::processEvents();
    }

    // The menu bar as "title: entry, entry | title: ...", separators as "-".
    static QString menuTexts(const QMenuBar* bar)
    {
        QStringList menus;
        for (const QAction* menu : bar->actions()) {
            QStringList entries;
            for (const QAction* entry : menu->menu()->actions())
                entries.append(entry->isSeparator() ? QStringLiteral("-") : entry->text());
            menus.append(menu->text() + QStringLiteral(": ") + entries.join(QStringLiteral(", ")));
        }
        return menus.join(QStringLiteral(" | "));
    }

    static QJsonObject stringTable(const QString& code)
    {
        QFile file(BundleResources::path(QStringLiteral("strings/%1/General.json").arg(code)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // The texts of `top` and of every widget in it, shown or not (accessible names, tool tips, the texts of
    // labels, buttons and fields), that are still an English text of the string table whose German text
    // differs: left behind by a switch to German. One line each, naming the widget.
    static QStringList englishLeftInGerman(QWidget* top)
    {
        const QJsonObject english = stringTable(QStringLiteral("en"));
        const QJsonObject german = stringTable(QStringLiteral("de"));
        QSet<QString> untranslated;
        for (auto entry = english.begin(); entry != english.end(); ++entry) {
            if (german.value(entry.key()).toString() != entry.value().toString())
                untranslated.insert(entry.value().toString());
        }
        QStringList left;
        QList<QWidget*> widgets = top->findChildren<QWidget*>();
        widgets.prepend(top);
        for (const QWidget* widget : std::as_const(widgets)) {
            QStringList texts{widget->accessibleName(), widget->toolTip()};
            if (const auto* label = qobject_cast<const QLabel*>(widget))
                texts.append(label->text());
            if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
                texts.append(button->text());
            if (const auto* field = qobject_cast<const QLineEdit*>(widget))
                texts.append(field->placeholderText());
            for (const QString& text : std::as_const(texts)) {
                if (untranslated.contains(text))
                    left.append(QString::fromLatin1(widget->metaObject()->className()) + QStringLiteral(": ") + text);
            }
        }
        left.removeDuplicates();
        return left;
    }

    // The editor of one folder, handed over by a later start, in the active window.
    MainView& editFolder(WindowProgram& program)
    {
        MainView* view = handOver(program, {makeFolder(QStringLiteral("Music"))});
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->colorizerView() && view->colorizerView()->isVisible(); }));
        EXPECT_TRUE(QTest::qWaitForWindowActive(view->window()));
        return *view;
    }

    // Moves `window` into the bottom right-hand corner of its screen's free area (a window wider than the
    // offscreen screen sticks out on the left); that free area.
    static QRect moveToBottomRightCorner(QWidget* window)
    {
        const QRect available = window->screen()->availableGeometry();
        window->move(available.right() + 1 - window->frameGeometry().width(),
                     available.bottom() + 1 - window->frameGeometry().height());
        return available;
    }

    // Clicks the segment `index` of a tab bar where it is drawn.
    static void clickSegment(SegmentedPickerBase* bar, int index)
    {
        ASSERT_TRUE(test::clickWhereDrawn(bar, bar->segmentRect(index).center()));
        QApplication::processEvents();
    }

    // Presses Tab in `window` until the focus comes (back) to `control`, as a keyboard user reaches it.
    static bool tabTo(QWidget* window, QWidget* control)
    {
        for (int presses = 0; presses < 200; ++presses) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Tab);
            if (QApplication::focusWidget() == control)
                return true;
        }
        return false;
    }

    QTemporaryDir root;
};

} // namespace

TEST_F(WindowProgramTest, EveryLaterStartShowsTheToolbarAndItsButtonsSwitchThePages)
{
    completeOnboarding();
    WindowProgram program({});
    ASSERT_FALSE(program.endedWith());
    MainView* view = program.delegate().contentView();
    ASSERT_TRUE(view);
    ASSERT_EQ(program.delegate().mainWindow()->content(), view);
    expectUsable(*view, QStringLiteral("drop zone"));

    MainToolbar* toolbar = view->toolbar();
    click(toolbar->settingsButton());
    EXPECT_EQ(view->page(), Page::settings);
    expectUsable(*view, QStringLiteral("settings"));

    click(toolbar->historyButton());
    EXPECT_EQ(view->page(), Page::history);
    expectUsable(*view, QStringLiteral("history"));

    click(toolbar->homeButton());
    EXPECT_EQ(view->page(), Page::dropZone);
    expectUsable(*view, QStringLiteral("drop zone"));
}

TEST_F(WindowProgramTest, TheOnboardingsEndLeadsToAUsableMainView)
{
    Preferences::setValue(prefs::hasCompletedOnboarding, false);
    WindowProgram program({});
    MainWindow* window = program.delegate().mainWindow();
    auto* onboarding = qobject_cast<OnboardingView*>(window->content());
    ASSERT_TRUE(onboarding);
    onboarding->skipToReady();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !onboarding->isTransitioning(); }));
    auto* ready = qobject_cast<OnboardingReadyScreen*>(onboarding->screen());
    ASSERT_TRUE(ready);
    click(ready->finishButton());

    MainView* view = program.delegate().contentView();
    ASSERT_TRUE(view);
    ASSERT_EQ(window->content(), view);
    expectUsable(*view, QStringLiteral("drop zone"));
    click(view->toolbar()->historyButton());
    expectUsable(*view, QStringLiteral("history"));
}

TEST_F(WindowProgramTest, FoldersOfALaterStartAreEditedAppliedAndListedInTheHistory)
{
    completeOnboarding();
    const QStringList folders{makeFolder(QStringLiteral("Music")), makeFolder(QStringLiteral("Invoices"))};
    WindowProgram program({});

    // A later start hands its folders over through the instance socket, as `pigmo2 --open A B` does.
    std::future<SingleInstance::Role> handOver = std::async(std::launch::async, [&] {
        return SingleInstance().handOver(LaunchRequest{LaunchRequest::Action::open, folders});
    });
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return handOver.wait_for(std::chrono::seconds(0)) == std::future_status::ready &&
               program.delegate().contentView() && program.delegate().contentView()->folders().size() == 2;
    }));
    EXPECT_EQ(handOver.get(), SingleInstance::Role::forwarded);
    MainView* view = program.delegate().contentView();
    expectUsable(*view, QStringLiteral("editor"));
    EXPECT_TRUE(view->backButton()->isVisible());

    // Back asks before it drops the folders; the alert is answered "Cancel".
    click(view->backButton());
    ASSERT_TRUE(view->discardAlert());
    EXPECT_TRUE(view->discardAlert()->isVisible());
    view->discardAlert()->reject();
    EXPECT_EQ(view->folders().size(), 2);

    QSignalSpy applied(view, &MainView::applyFinished);
    click(view->bottomBar()->applyButton());
    ASSERT_TRUE(applied.wait(15'000));
    EXPECT_TRUE(view->lastApplyFailures().isEmpty());
    // The checkmark holds the window for a moment, then the editor is the user's again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->applyOverlay()->isVisible(); }, 10'000));
    expectUsable(*view, QStringLiteral("editor"));

    click(view->toolbar()->historyButton());
    expectUsable(*view, QStringLiteral("history"));
    auto* history = view->findChild<HistoryView*>();
    ASSERT_TRUE(history);
    ASSERT_TRUE(QTest::qWaitFor([&] { return history->logModel()->rowCount() == 2; }));
}

TEST_F(WindowProgramTest, WebLinksAreRefusedByEveryDropTargetOfTheWindow)
{
    completeOnboarding();
    const QString alpha = makeFolder(QStringLiteral("Alpha"));
    const QString beta = makeFolder(QStringLiteral("Beta"));
    WindowProgram program({});
    MainView* view = program.delegate().contentView();
    QMimeData web;
    web.setData(QStringLiteral("text/uri-list"), QByteArrayLiteral("https://example.com/photos/\r\n"));
    test::LogCapture log;

    // The drop zone of a later start.
    QWidget* zone = test::widgetWhereDrawn(view->dropZone());
    ASSERT_TRUE(zone);
    EXPECT_FALSE(test::dragEnter(zone, web));
    EXPECT_FALSE(view->fileAboutToBeDropped());
    EXPECT_FALSE(test::drop(zone, web));
    EXPECT_EQ(view->page(), Page::dropZone);

    // The editor's preview column: neither highlighted nor taking the drop.
    handOver(program, {alpha});
    FolderPreviewColumn* column = view->previewColumn();
    QWidget* onColumn = test::widgetWhereDrawn(column);
    ASSERT_TRUE(onColumn == column || column->isAncestorOf(onColumn));
    EXPECT_FALSE(test::dragEnter(onColumn, web));
    EXPECT_FALSE(column->isFileAboutToBeDropped());
    EXPECT_FALSE(test::drop(onColumn, web));

    // The editor pane, which takes pictures for the custom icon: a picture on the web is refused there too.
    FolderColorizerView* pane = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (FolderColorizerView* each : view->findChildren<FolderColorizerView*>()) {
            if (each->isVisible())
                pane = each;
        }
        return pane != nullptr;
    }));
    QWidget* onPane = test::widgetWhereDrawn(pane);
    ASSERT_TRUE(pane->isAncestorOf(onPane));
    QMimeData webPicture;
    webPicture.setUrls({QUrl(QStringLiteral("https://example.com/cover.png"))});
    EXPECT_FALSE(test::dragEnter(onPane, webPicture));
    EXPECT_FALSE(pane->isFileDragging());
    EXPECT_FALSE(test::drop(onPane, webPicture));
    EXPECT_EQ(view->folders().size(), 1);

    // A drag that also carries a folder is taken by the column for the folder alone.
    QMimeData mixed;
    mixed.setUrls({QUrl(QStringLiteral("https://example.com/photos/")), QUrl::fromLocalFile(beta)});
    EXPECT_TRUE(test::dragEnter(onColumn, mixed));
    EXPECT_TRUE(column->isFileAboutToBeDropped());
    EXPECT_TRUE(test::drop(onColumn, mixed));
    EXPECT_FALSE(column->isFileAboutToBeDropped());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->folders().size() == 2; }));
    EXPECT_EQ(log.count(QStringLiteral("Not a directory!!")), 0);
}

TEST_F(WindowProgramTest, TheResetAllConfirmationAsksItsQuestionInItsText)
{
    completeOnboarding();
    WindowProgram program({});
    MainView* view = handOver(program, {makeFolder(QStringLiteral("Alpha"))});
    FolderPreviewColumn* column = view->previewColumn();
    click(column->resetButton());
    QMessageBox* box = column->resetConfirmation();
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isVisible());
    // Desktops that draw dialogs without a title bar show the text alone: the question must be in it.
    const LocalizationManager& texts = program.services().localization();
    EXPECT_EQ(box->text().toStdString(), texts.string(QStringLiteral("reset_all_folders")).toStdString());
    EXPECT_EQ(box->informativeText().toStdString(),
              texts.string(QStringLiteral("reset_all_folders_message")).toStdString());
    QTest::keyClick(box, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !column->resetConfirmation(); }));

    // So is the question of the back button.
    click(view->backButton());
    ASSERT_TRUE(view->discardAlert());
    EXPECT_EQ(view->discardAlert()->text(), texts.string(QStringLiteral("discard_changes")));
    view->discardAlert()->reject();
    EXPECT_EQ(view->folders().size(), 1);
}

TEST_F(WindowProgramTest, LeavingOutASuggestionKeepsTheListWhereItWasScrolled)
{
    // Folders the scan proposes on the desktop and in the documents: it lists them by turns, the screen
    // shows them grouped by the folder that holds them.
    QStringList made;
    for (const char* relative : {"Desktop/Invoices", "Desktop/Screenshots", "Desktop/Projects", "Desktop/Recipes",
                                 "Desktop/Taxes", "Desktop/Photos", "Documents/Music", "Documents/Travel",
                                 "Documents/Games", "Documents/Books", "Documents/Code", "Documents/Podcasts"}) {
        made.append(QDir::home().filePath(QString::fromLatin1(relative)));
        ASSERT_TRUE(QDir().mkpath(made.last()));
    }
    const auto removeMade = qScopeGuard([&] {
        for (const QString& path : std::as_const(made))
            QDir(path).removeRecursively();
    });
    Preferences::setValue(prefs::hasCompletedOnboarding, false);
    Preferences::setValue(prefs::onboardingResumeStep, int(OnboardingStep::setupLoading));
    WindowProgram program({});
    auto* onboarding = qobject_cast<OnboardingView*>(program.delegate().mainWindow()->content());
    ASSERT_TRUE(onboarding);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return qobject_cast<OnboardingSuggestionsScreen*>(onboarding->screen()) && !onboarding->isTransitioning();
        },
        30'000));
    auto* screen = qobject_cast<OnboardingSuggestionsScreen*>(onboarding->screen());
    ASSERT_GE(screen->cards().size(), 10);
    const auto scrollBar = [&] { return screen->findChild<QScrollArea*>()->verticalScrollBar(); };
    ASSERT_GT(scrollBar()->maximum(), 0);
    scrollBar()->setValue(scrollBar()->maximum()); // as the wheel scrolls it
    const int scrolled = scrollBar()->value();
    QApplication::processEvents();

    // A card at the foot of the list, in view and on top where it is drawn.
    const QList<OnboardingSuggestionCard*> cards = screen->cards();
    QPointer<OnboardingSuggestionCard> card;
    for (OnboardingSuggestionCard* each : cards) {
        const QRect shown = test::shownRect(each, each->window());
        QWidget* hit = each->window()->childAt(shown.center());
        if (shown.size() == each->size() && (hit == each || each->isAncestorOf(hit)))
            card = each;
    }
    ASSERT_TRUE(card);
    ASSERT_TRUE(card->isSelected());
    click(card);
    ASSERT_TRUE(card); // the same card, left out
    EXPECT_FALSE(card->isSelected());
    EXPECT_EQ(screen->cards(), cards);
    EXPECT_EQ(scrollBar()->value(), scrolled);
}

TEST_F(WindowProgramTest, TheInterfaceLanguageReachesTheMenusAndEveryNameAtOnceAndAfterARestart)
{
    completeOnboarding();
    const QString english = QStringLiteral("Pigmo 2: Check for Updates…, -, Quit Pigmo 2 | "
                                           "Edit: Cut, Copy, Paste, -, Select All");
    const QString german = QStringLiteral("Pigmo 2: Nach Updates suchen …, -, Pigmo 2 beenden | "
                                          "Bearbeiten: Ausschneiden, Kopieren, Einfügen, -, Alles auswählen");
    {
        WindowProgram program({});
        MainWindow* window = program.delegate().mainWindow();
        EXPECT_EQ(menuTexts(window->menuBar()).toStdString(), english.toStdString());
        MainView* view = handOver(program, {makeFolder(QStringLiteral("Alpha")), makeFolder(QStringLiteral("Beta"))});

        // German, chosen on the settings page while the editor waits behind it.
        click(view->toolbar()->settingsButton());
        auto* settings = view->findChild<SettingsView*>();
        ASSERT_TRUE(settings);
        click(settings->languageRow()->menuButton());
        SettingsMenuPopup* menu = settings->languageRow()->menu();
        ASSERT_TRUE(menu);
        PlainButton* deutsch = nullptr;
        for (PlainButton* option : menu->options()) {
            if (option->accessibleName().contains(QStringLiteral("Deutsch")))
                deutsch = option;
        }
        ASSERT_TRUE(deutsch);
        click(deutsch);
        ASSERT_EQ(program.services().localization().currentLanguage(), QStringLiteral("de"));

        EXPECT_EQ(menuTexts(window->menuBar()).toStdString(), german.toStdString());
        EXPECT_EQ(englishLeftInGerman(window).join(u'\n').toStdString(), "");
        click(view->toolbar()->homeButton());
        EXPECT_EQ(englishLeftInGerman(window).join(u'\n').toStdString(), "");
    }
    WindowProgram restarted({});
    EXPECT_EQ(menuTexts(restarted.delegate().mainWindow()->menuBar()).toStdString(), german.toStdString());
}

TEST_F(WindowProgramTest, SettingsMenusAreAsWideAsTheirLongestEntryInGerman)
{
    completeOnboarding();
    Preferences::setValue(prefs::appLanguage, QStringLiteral("de"));
    WindowProgram program({});
    MainView* view = program.delegate().contentView();
    click(view->toolbar()->settingsButton());
    auto* settings = view->findChild<SettingsView*>();
    ASSERT_TRUE(settings);
    for (SettingsMenuRow* row :
         {settings->themeRow(), settings->displayRow(), settings->languageRow(), settings->iconStyleRow()}) {
        row->setMenuPresented(true);
        SettingsMenuPopup* menu = row->menu();
        ASSERT_TRUE(menu);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        for (const QLabel* label : menu->findChildren<QLabel*>())
            EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        row->setMenuPresented(false);
    }
}

TEST_F(WindowProgramTest, AFolderLeavingTheEditorShowsItsNewIconAmongTheOtherFolders)
{
    completeOnboarding();
    const QString alpha = makeFolder(QStringLiteral("Alpha"));
    const QString photos = makeFolder(QStringLiteral("Photos"));
    makeFolder(QStringLiteral("Zebra"));
    WindowProgram program({});
    MainView* view = handOver(program, {alpha});
    FolderPreviewColumn* column = view->previewColumn();
    CellGrid* others = column->siblingGrid();
    ASSERT_TRUE(QTest::qWaitFor([&] { return others->isVisible() && others->count() == 2; }));
    ASSERT_EQ(column->siblingFolders().first(), photos);
    // What the first of the other folders shows: nothing while its icon is being read, then its icon.
    const auto firstCell = [&] { return others->grab(others->cellRect(0).toAlignedRect()).toImage(); };
    const QImage unread = firstCell();
    ASSERT_TRUE(QTest::qWaitFor([&] { return firstCell() != unread; }));
    const QImage plain = firstCell();

    // Photos joins the editor from there, gets its style with Alpha, and leaves the editor again.
    clickAt(others, others->cellRect(0).center().toPoint());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->folders().size() == 2; }));
    QSignalSpy applied(view, &MainView::applyFinished);
    click(view->bottomBar()->applyButton());
    ASSERT_TRUE(applied.wait(15'000));
    EXPECT_TRUE(view->lastApplyFailures().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->applyOverlay()->isVisible(); }, 10'000));
    PreviewCell* photosCell = nullptr;
    for (PreviewCell* cell : column->cells()) {
        if (cell->preview().url == QUrl::fromLocalFile(photos))
            photosCell = cell;
    }
    ASSERT_TRUE(photosCell);
    click(photosCell->removeButton());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->folders().size() == 1 && others->count() == 2; }));
    ASSERT_EQ(column->siblingFolders().first(), photos);

    // Among the other folders again, it shows the icon it got.
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const QImage shown = firstCell();
        return shown != plain && shown != unread;
    }));
}

TEST_F(WindowProgramTest, TheWatcherStartsWithoutAWordAndWarnsOnlyWhenFolderAccessIsRefused)
{
    completeOnboarding();
    Preferences::setValue(prefs::folderWatcherEnabled, true);
    Preferences::setValue(prefs::folderWatcherDirectories, QStringList{root.path()});
    {
        const test::LogCapture log(false); // warnings only
        WindowProgram program({});
        EXPECT_TRUE(program.services().watcher().isRunning());
        EXPECT_EQ(log.lines(log::Channel::systemLog).join(u'\n').toStdString(), ""); // no warning at all
    }
    // In a sandbox the folders cannot be reached: the watcher stays off and says why, once.
    qputenv("FLATPAK_ID", "io.velmar.test");
    const auto leaveSandbox = qScopeGuard([] { qunsetenv("FLATPAK_ID"); });
    const test::LogCapture log(false);
    WindowProgram program({});
    EXPECT_FALSE(program.services().watcher().isRunning());
    EXPECT_EQ(log.count(QStringLiteral("FolderWatcherService: Cannot start")), 1);
    EXPECT_TRUE(log.contains(QStringLiteral("the program runs in a sandbox")));
}

TEST_F(WindowProgramTest, ControlsShowTheirFocusRingForKeyboardFocusOnly)
{
    completeOnboarding();
    WindowProgram program({});
    FolderColorizerView* editor = editFolder(program).colorizerView();
    QWidget* window = editor->window();
    SegmentedPickerBase* tabs = editor->tabBar();
    ColorTab* color = editor->colorTab();
    ASSERT_TRUE(color && color->isVisible());
    IntensityDotControl* dots = color->intensityDots();
    QWidget* hue = color->slider(HSLComponent::hue)->slider();

    // Each clicked where it changes nothing: the dot and the slider's value as they are, the tab shown.
    const std::pair<QWidget*, QPoint> clicks[] = {
        {dots, dots->dotRect(dots->selectedIndex()).center().toPoint()},
        {hue, hue->rect().center()},
        {tabs, tabs->segmentRect(int(FolderColorizerView::Tab::color)).center()},
    };
    for (const auto& [control, at] : clicks) {
        const std::string name = control->accessibleName().toStdString();
        ASSERT_TRUE(test::clickWhereDrawn(control, at)) << name;
        ASSERT_TRUE(control->hasFocus()) << name;
        EXPECT_FALSE(test::drawsFocusRing(*control)) << "after a click: " << name;
        ASSERT_TRUE(tabTo(window, control)) << name;
        EXPECT_TRUE(test::drawsFocusRing(*control)) << "after Tab: " << name;
        ASSERT_TRUE(test::clickWhereDrawn(control, at)) << name;
        EXPECT_FALSE(test::drawsFocusRing(*control)) << "clicked again: " << name;
    }
}

TEST_F(WindowProgramTest, TheGlyphColourPopupStaysOnTheScreenAndReturnOnlyEndsAnEntry)
{
    completeOnboarding();
    WindowProgram program({});
    MainView& view = editFolder(program);
    const QRect available = moveToBottomRightCorner(view.window());

    FolderColorizerView* editor = view.colorizerView();
    clickSegment(editor->tabBar(), int(FolderColorizerView::Tab::details));
    DetailsTab* details = editor->detailsTab();
    ASSERT_TRUE(details && details->isVisible());
    QComboBox* style = details->styleMenu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return style->isVisible(); })) << "the handed-over folder gets a glyph";
    style->setFocus(Qt::TabFocusReason);
    for (int presses = 0; presses < 4 && style->currentIndex() != 2; ++presses)
        QTest::keyClick(style, Qt::Key_Down);
    ASSERT_TRUE(details->colorButton()->isVisible()) << "the colour style shows the colour row";

    click(details->colorButton());
    ColorPickerPopup* popup = details->colorPicker();
    ASSERT_TRUE(popup && popup->isVisible());
    EXPECT_TRUE(available.contains(popup->frameGeometry()))
        << popup->frameGeometry().x() << "," << popup->frameGeometry().y() << " " << popup->width() << "x"
        << popup->height() << " outside " << available.width() << "x" << available.height();
    const QRect anchor(details->colorButton()->mapToGlobal(QPoint(0, 0)), details->colorButton()->size());
    EXPECT_FALSE(popup->frameGeometry().intersects(anchor)) << "the pop-up leaves its swatch in view";

    // Return ends the entry in a field; the pop-up stays for the next one, and Escape closes it.
    QLineEdit* hue = popup->slider(HSLComponent::hue)->field();
    ASSERT_TRUE(test::clickWhereDrawn(hue));
    hue->selectAll();
    QTest::keyClicks(hue, QStringLiteral("120.7"));
    QTest::keyClick(hue, Qt::Key_Return);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_FALSE(hue->hasFocus());
    EXPECT_EQ(hue->text(), QStringLiteral("120"));
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(WindowProgramTest, TheSettingsMenusStayOnTheScreen)
{
    completeOnboarding();
    WindowProgram program({});
    MainView* view = program.delegate().contentView();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view->window()));
    const QRect available = moveToBottomRightCorner(view->window());
    click(view->toolbar()->settingsButton());
    auto* settings = view->findChild<SettingsView*>();
    ASSERT_TRUE(settings && settings->isVisible());
    for (SettingsMenuRow* row : {settings->themeRow(), settings->displayRow(), settings->languageRow(),
                                 settings->folderLanguagesRow(), settings->iconStyleRow()}) {
        click(row->menuButton());
        SettingsMenuPopup* menu = row->menu();
        ASSERT_TRUE(menu && menu->isVisible()) << row->menuButton()->accessibleName().toStdString();
        EXPECT_TRUE(available.contains(menu->frameGeometry())) << row->menuButton()->accessibleName().toStdString();
        QTest::keyClick(menu, Qt::Key_Escape);
        ASSERT_FALSE(row->isMenuPresented());
    }
}

TEST_F(WindowProgramTest, OpeningTheIconSearchFocusesItsField)
{
    completeOnboarding();
    WindowProgram program({});
    FolderColorizerView* editor = editFolder(program).colorizerView();
    clickSegment(editor->tabBar(), int(FolderColorizerView::Tab::icon));
    IconTab* icons = editor->iconTab();
    ASSERT_TRUE(icons && icons->isVisible());
    clickSegment(icons->subTabBar(), int(IconTab::TopTab::search));
    ASSERT_EQ(icons->topTab(), IconTab::TopTab::search);
    EXPECT_EQ(QApplication::focusWidget(), icons->searchBar()->field());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("star"));
    EXPECT_EQ(icons->searchText(), QStringLiteral("star"));
}

namespace {

// The controls of `window` a screen reader reaches that it cannot name: every element that is shown and
// takes the focus or is a control, with no name. Containers that only group stay unnamed, and so may
// pictures that are decoration (they take no focus) and scroll bars (their role says all). One line each:
// role, class and parent chain.
QStringList unnamedForScreenReaders(QWidget* window)
{
    static const QSet<QAccessible::Role> controls{
        QAccessible::Button,      QAccessible::CheckBox, QAccessible::RadioButton, QAccessible::PageTab,
        QAccessible::PageTabList, QAccessible::Slider,   QAccessible::SpinBox,     QAccessible::EditableText,
        QAccessible::ComboBox,    QAccessible::List,     QAccessible::Table,       QAccessible::ButtonMenu,
        QAccessible::ProgressBar};
    QStringList unnamed;
    std::function<void(QAccessibleInterface*, const QString&)> visit = [&](QAccessibleInterface* element,
                                                                           const QString& path) {
        if (!element || !element->isValid() || element->state().invisible)
            return;
        const QObject* object = element->object();
        const QString here = path + QStringLiteral(" > ") +
                             (object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("item"));
        const bool control = controls.contains(element->role()) || element->state().focusable;
        if (control && element->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(QString::fromLatin1(qAccessibleRoleString(element->role())) + QStringLiteral(": ") + here);
        for (int index = 0; index < element->childCount(); ++index)
            visit(element->child(index), here);
    };
    visit(QAccessible::queryAccessibleInterface(window), QString());
    return unnamed;
}

} // namespace

TEST_F(WindowProgramTest, AScreenReaderFindsANameOnEveryControlOfEveryPage)
{
    completeOnboarding();
    WindowProgram program({});
    MainView& view = editFolder(program);
    QWidget* window = view.window();
    const auto expectNamed = [&](const char* page) {
        QApplication::processEvents();
        EXPECT_EQ(unnamedForScreenReaders(window).join(u'\n').toStdString(), "") << page;
    };
    FolderColorizerView* editor = view.colorizerView();
    expectNamed("the colour tab");
    clickSegment(editor->tabBar(), int(FolderColorizerView::Tab::icon));
    IconTab* icons = editor->iconTab();
    ASSERT_TRUE(icons);
    expectNamed("the icon tab's suggestions");
    clickSegment(icons->subTabBar(), int(IconTab::TopTab::search));
    expectNamed("the icon search");
    clickSegment(icons->subTabBar(), int(IconTab::TopTab::custom));
    expectNamed("the custom icon");
    clickSegment(editor->tabBar(), int(FolderColorizerView::Tab::details));
    expectNamed("the details tab");
    click(view.toolbar()->historyButton());
    expectNamed("the history");
    click(view.toolbar()->settingsButton());
    expectNamed("the settings");
    click(view.toolbar()->homeButton());
    view.discardAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.isShowingDropZone(); }));
    expectNamed("the drop zone");
}
