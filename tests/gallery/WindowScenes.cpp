// The gallery's pictures of the window as the program composes it (the same class `main` runs, with its
// menu bar, toolbar and pages): a later start, the main view after the onboarding, the editor after a later
// start handed folders over, the settings and history pages opened from the toolbar, the alert of the
// back button and the question of "Reset", and, in German, the menus of the menu bar and the "Show in" menu of
// the settings page. Each picture comes from a program of its own.

#include "GalleryScene.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/WindowProgram.h"
#include "storage/Preferences.h"
#include "support/CoveredControls.h"
#include "ui/controls/ColorSwatch.h"
#include "ui/controls/MainToolbar.h"
#include "ui/controls/TextButton.h"
#include "ui/editor/FolderPreviewColumn.h"
#include "ui/editor/PillButton.h"
#include "ui/main/BottomBar.h"
#include "ui/main/MainView.h"
#include "ui/onboarding/OnboardingButtons.h"
#include "ui/onboarding/OnboardingScreens.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/settings/SettingsMenu.h"
#include "ui/settings/SettingsView.h"

#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
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
    };
}

} // namespace pigmo::gallery
