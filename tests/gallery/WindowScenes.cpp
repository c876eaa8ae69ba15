// The gallery's pictures of the window as the program composes it (the same class `main` runs, with its
// menu bar, toolbar and pages): a later start, the main view after the onboarding, the editor after a later
// start handed folders over, the settings and history pages opened from the toolbar, the alert of the
// back button and the question of "Reset", and, in German, the menus of the menu bar and the "Show in" menu of
// the settings page; the glyph colour pop-up of a window in the screen's corner (a picture of the whole screen),
// and the intensity dots focused by a click (no ring) and from the keyboard (a ring). Each picture comes from a
// program of its own.

#include "GalleryScene.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/WindowProgram.h"
#include "storage/Preferences.h"
#include "support/CoveredControls.h"
#include "ui/controls/ColorPickerPopup.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/IntensityDotControl.h"
#include "ui/controls/MainToolbar.h"
#include "ui/controls/TextButton.h"
#include "ui/editor/ColorTab.h"
#include "ui/editor/DetailsTab.h"
#include "ui/editor/FolderColorizerView.h"
#include "ui/editor/FolderPreviewColumn.h"
#include "ui/editor/GlyphGrid.h"
#include "ui/editor/IconTab.h"
#include "ui/editor/PillButton.h"
#include "ui/main/BottomBar.h"
#include "ui/main/MainView.h"
#include "ui/onboarding/OnboardingButtons.h"
#include "ui/onboarding/OnboardingScreens.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/settings/SettingsMenu.h"
#include "ui/settings/SettingsView.h"

#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstdio>

namespace pigmo::gallery {
namespace {

// A program started as a user starts it, in the picture's theme; `onboarded` is whether the onboarding was
// finished at an earlier start. The context keeps it until the picture is taken.
WindowProgram& start(GalleryContext& context, bool onboarded)
{
    qunsetenv("SCREENSHOT_SCENARIO");
    qputenv("SCREENSHOT_FORCE_THEME", context.theme.toUtf8());
    Preferences::setValue(prefs::hasCompletedOnboarding, onboarded);
    Preferences::remove(prefs::onboardingResumeStep);
    auto program = std::make_shared<WindowProgram>(LaunchRequest{});
    context.keep = program;
    return *program;
}

// Lets the program run until `done`; a scene whose step never comes says so, and its picture shows where it
// stopped.
template <typename Done>
void waitFor(Done done, const char* step, int milliseconds = 5000)
{
    if (!QTest::qWaitFor(done, milliseconds))
        std::fprintf(stderr, "gallery: the window never got to %s\n", step);
}

MainView& mainView(WindowProgram& program)
{
    return *program.delegate().contentView();
}

QWidget* window(WindowProgram& program)
{
    return program.delegate().mainWindow();
}

void click(QWidget* control)
{
    test::clickWhereDrawn(control);
    QApplication::processEvents();
}

// Two folders a later start hands over, as `pigmo2 --open Music Invoices` does.
MainView& handOverFolders(WindowProgram& program)
{
    static QTemporaryDir root;
    QStringList folders;
    for (const QString& name : {QStringLiteral("Music"), QStringLiteral("Invoices")}) {
        QDir(root.path()).mkpath(name);
        folders.append(QDir(root.path()).filePath(name));
    }
    program.delegate().handleForwardedRequest(LaunchRequest{LaunchRequest::Action::open, folders});
    waitFor([&] { return mainView(program).folders().size() == 2; }, "the handed-over folders");
    return mainView(program);
}

QWidget* afterOnboarding(GalleryContext& context)
{
    WindowProgram& program = start(context, false);
    auto* onboarding = qobject_cast<OnboardingView*>(program.delegate().mainWindow()->content());
    onboarding->skipToReady();
    waitFor([&] { return !onboarding->isTransitioning(); }, "the onboarding's last screen");
    if (auto* ready = qobject_cast<OnboardingReadyScreen*>(onboarding->screen()))
        click(ready->finishButton());
    return window(program);
}

QWidget* page(GalleryContext& context, bool history)
{
    WindowProgram& program = start(context, true);
    MainView& view = handOverFolders(program);
    if (history) {
        // The history of the two folders, applied first.
        QSignalSpy applied(&view, &MainView::applyFinished);
        click(view.bottomBar()->applyButton());
        waitFor([&] { return !applied.isEmpty() && !view.applyOverlay()->isVisible(); }, "the end of the apply",
                15'000);
    }
    click(history ? view.toolbar()->historyButton() : view.toolbar()->settingsButton());
    return window(program);
}

QWidget* discardAlert(GalleryContext& context)
{
    WindowProgram& program = start(context, true);
    MainView& view = handOverFolders(program);
    click(view.backButton());
    return view.discardAlert();
}

QWidget* resetAllQuestion(GalleryContext& context)
{
    WindowProgram& program = start(context, true);
    FolderPreviewColumn* column = handOverFolders(program).previewColumn();
    click(column->resetButton());
    return column->resetConfirmation();
}

// One menu of the window's menu bar, opened under its title.
QWidget* menuBarMenu(GalleryContext& context, int index)
{
    WindowProgram& program = start(context, true);
    QMenuBar* bar = program.delegate().mainWindow()->menuBar();
    QAction* title = bar->actions().value(index);
    if (!title)
        return window(program);
    title->menu()->popup(bar->mapToGlobal(bar->actionGeometry(title).bottomLeft()));
    return title->menu();
}

// The "Show in" menu of the settings page, opened from its row.
QWidget* showInMenu(GalleryContext& context)
{
    WindowProgram& program = start(context, true);
    MainView& view = mainView(program);
    click(view.toolbar()->settingsButton());
    auto* settings = view.findChild<SettingsView*>();
    if (!settings)
        return window(program);
    click(settings->displayRow()->menuButton());
    waitFor([&] { return settings->displayRow()->menu() != nullptr; }, "the open \"Show in\" menu");
    return settings->displayRow()->menu() ? static_cast<QWidget*>(settings->displayRow()->menu()) : window(program);
}

// What a screen shows: its free area, on a desktop colour, with each of `windows` drawn where it is (later
// ones on top), as they were when the picture was made.
class ScreenPicture : public QWidget {
public:
    ScreenPicture(const QRect& area, const QList<QWidget*>& windows)
    {
        setFixedSize(area.size());
        for (QWidget* window : windows) {
            QImage image(window->size() * 2, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(2);
            image.fill(Qt::transparent);
            window->render(&image);
            layers_.append({window->geometry().topLeft() - area.topLeft(), image});
        }
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(62, 84, 110));
        for (const auto& [at, image] : layers_)
            painter.drawImage(at, image);
    }

private:
    QList<std::pair<QPoint, QImage>> layers_;
};

// `picture`, kept until the picture is taken together with the program the context keeps.
QWidget* keptWithProgram(GalleryContext& context, QWidget* picture)
{
    context.keep = std::make_shared<std::pair<std::shared_ptr<void>, std::unique_ptr<QWidget>>>(context.keep, picture);
    return picture;
}

// The editor of the handed-over folders, its tab `tab` shown.
FolderColorizerView& showEditorTab(MainView& view, FolderColorizerView::Tab tab)
{
    waitFor([&] { return view.colorizerView() && view.colorizerView()->isVisible(); }, "the editor");
    FolderColorizerView& editor = *view.colorizerView();
    SegmentedPickerBase* tabs = editor.tabBar();
    test::clickWhereDrawn(tabs, tabs->segmentRect(int(tab)).center());
    QApplication::processEvents();
    return editor;
}

// Gives the current folder the first glyph of the Lucide catalogue, chosen on the icon tab's search page as a
// user does.
void chooseGlyph(MainView& view)
{
    IconTab* icons = showEditorTab(view, FolderColorizerView::Tab::icon).iconTab();
    SegmentedPickerBase* subTabs = icons->subTabBar();
    test::clickWhereDrawn(subTabs, subTabs->segmentRect(int(IconTab::TopTab::search)).center());
    GlyphGrid* catalogue = icons->searchGrid();
    waitFor([&] { return !catalogue->icons().isEmpty(); }, "the catalogue's glyphs");
    test::clickWhereDrawn(catalogue, catalogue->cellRect(0).center().toPoint());
    QApplication::processEvents();
}

// The glyph colour pop-up of a window in the bottom right-hand corner of the screen, seen on the whole screen.
QWidget* colorPopupAtScreenCorner(GalleryContext& context)
{
    WindowProgram& program = start(context, true);
    MainView& view = handOverFolders(program);
    QWidget* main = window(program);
    waitFor([&] { return QTest::qWaitForWindowActive(main, 100); }, "the active window");
    const QRect area = main->screen()->availableGeometry();
    main->move(area.right() + 1 - main->frameGeometry().width(), area.bottom() + 1 - main->frameGeometry().height());
    chooseGlyph(view);
    DetailsTab* details = showEditorTab(view, FolderColorizerView::Tab::details).detailsTab();
    if (!details) {
        std::fprintf(stderr, "gallery: the details tab did not open\n");
        return main;
    }
    QComboBox* style = details->styleMenu();
    waitFor([&] { return style->isVisible(); }, "the glyph's style");
    style->setFocus(Qt::TabFocusReason);
    for (int presses = 0; presses < 4 && style->currentIndex() != 2; ++presses)
        QTest::keyClick(style, Qt::Key_Down); // the colour style
    click(details->colorButton());
    ColorPickerPopup* popup = details->colorPicker();
    QList<QWidget*> windows{main};
    if (popup && popup->isVisible())
        windows.append(popup);
    else
        std::fprintf(stderr, "gallery: the glyph colour pop-up did not open\n");
    delete new ScreenPicture(area, windows); // asks the workers for the glyph pictures at the picture's density
    QTest::qWait(250);
    return keptWithProgram(context, new ScreenPicture(area, windows));
}

// The window with the editor's intensity dots focused: by a click, or with Tab from the keyboard.
QWidget* focusedIntensityDots(GalleryContext& context, bool fromKeyboard)
{
    WindowProgram& program = start(context, true);
    MainView& view = handOverFolders(program);
    QWidget* main = window(program);
    waitFor([&] { return QTest::qWaitForWindowActive(main, 100); }, "the active window");
    IntensityDotControl* dots = showEditorTab(view, FolderColorizerView::Tab::color).colorTab()->intensityDots();
    click(dots);
    if (fromKeyboard) {
        for (int presses = 0; presses < 200; ++presses) {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : main, Qt::Key_Tab);
            if (QApplication::focusWidget() == dots)
                break;
        }
    }
    waitFor([&] { return dots->hasFocus(); }, "the focused intensity dots");
    return main;
}

// The scene of `focusedIntensityDots`, which keeps the focus for its picture.
GalleryScene focusedDotsScene(const QString& name, bool fromKeyboard)
{
    GalleryScene scene{name, 0, 0, [fromKeyboard](GalleryContext& c) { return focusedIntensityDots(c, fromKeyboard); }};
    scene.keepsFocus = true;
    return scene;
}

} // namespace

QList<GalleryScene> windowScenes()
{
    return {
        {QStringLiteral("window-start"), 0, 0, [](GalleryContext& c) { return window(start(c, true)); }},
        {QStringLiteral("window-after-onboarding"), 0, 0, afterOnboarding},
        {QStringLiteral("window-editor-handed-over"), 0, 0,
         [](GalleryContext& c) {
             WindowProgram& program = start(c, true);
             handOverFolders(program);
             return window(program);
         }},
        {QStringLiteral("window-settings"), 0, 0, [](GalleryContext& c) { return page(c, false); }},
        {QStringLiteral("window-history"), 0, 0, [](GalleryContext& c) { return page(c, true); }},
        {QStringLiteral("window-discard-alert"), 0, 0, discardAlert},
        {QStringLiteral("window-reset-all-question"), 0, 0, resetAllQuestion},
        // The menus in German, whose entries run longest.
        {QStringLiteral("window-menu-application-de"), 0, 0, [](GalleryContext& c) { return menuBarMenu(c, 0); },
         QStringLiteral("de")},
        {QStringLiteral("window-menu-edit-de"), 0, 0, [](GalleryContext& c) { return menuBarMenu(c, 1); },
         QStringLiteral("de")},
        {QStringLiteral("window-settings-show-in-menu-de"), 0, 0, showInMenu, QStringLiteral("de")},
        {QStringLiteral("window-color-popup-at-screen-corner"), 0, 0, colorPopupAtScreenCorner},
        focusedDotsScene(QStringLiteral("window-dots-clicked"), false),
        focusedDotsScene(QStringLiteral("window-dots-keyboard-focus"), true),
    };
}

} // namespace pigmo::gallery
