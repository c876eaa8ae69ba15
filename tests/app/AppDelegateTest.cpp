#include "app/AppDelegate.h"
#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "app/StatusItem.h"
#include "platform/AppGroupStore.h"
#include "platform/SingleInstance.h"
#include "platform/TaskbarHint.h"
#include "services/DisplayModeManager.h"
#include "storage/Preferences.h"
#include "support/DirectoryPanelAnswer.h"
#include "ui/main/MainView.h"
#include "ui/onboarding/OnboardingButtons.h"
#include "ui/onboarding/OnboardingScreens.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/settings/SettingsView.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace pigmo;
using Step = AppDelegate::LaunchStep;

namespace {

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override { qunsetenv("SCREENSHOT_SCENARIO"); }

    Folder makeFolder(const QString& relative)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(relative));
        return *Folder::fromPath(root.filePath(relative));
    }
    static void completeOnboarding() { Preferences::setValue(prefs::hasCompletedOnboarding, true); }

    QTemporaryDir root;
};

} // namespace

TEST_F(AppDelegateTest, FirstStartShowsTheOnboardingThenTheMainViewAt900By560)
{
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    MainWindow* window = delegate.mainWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Pigmo"));
    EXPECT_EQ(window->content()->size(), QSize(780, 480));
    auto* onboarding = qobject_cast<OnboardingView*>(window->content());
    ASSERT_TRUE(onboarding);
    ASSERT_TRUE(delegate.contentView()); // waits behind the onboarding
    MainView* waiting = delegate.contentView();

    QSignalSpy completed(&delegate, &AppDelegate::onboardingCompleted);
    onboarding->finish();
    EXPECT_EQ(completed.count(), 1);
    EXPECT_TRUE(Preferences::value(prefs::hasCompletedOnboarding));
    EXPECT_EQ(window->content(), waiting);
    EXPECT_EQ(window->content()->size(), QSize(900, 560));
    EXPECT_TRUE(delegate.statusItem());
}

TEST_F(AppDelegateTest, LaunchRunsItsStepsInOrder)
{
    completeOnboarding();
    ASSERT_TRUE(AppGroupStore::setFolderURLs({makeFolder(QStringLiteral("one")).url().toString()}));
    AppServices services;
    AppDelegate delegate(services);
    QList<Step> steps;
    QObject::connect(&delegate, &AppDelegate::launchStepFinished, [&](Step s) { steps.append(s); });
    delegate.applicationDidFinishLaunching({});
    const QList<Step> expected{Step::activationPolicy,
                               Step::mainMenu,
                               Step::historyMigration,
                               Step::fullDiskAccessCheck,
                               Step::folderWatcher,
                               Step::keywordIndex,
                               Step::extensionFolders,
                               Step::statusItem,
                               Step::content,
                               Step::mainWindow,
                               Step::appearanceAndDisplayMode,
                               Step::activation,
                               Step::servicesProvider,
                               Step::pendingFoldersScheduled};
    EXPECT_EQ(steps, expected);
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
}

TEST_F(AppDelegateTest, LaterStartsShowTheMainViewAndNoConfirmationIsScheduled)
{
    completeOnboarding();
    AppServices services;
    AppDelegate delegate(services);
    QList<Step> steps;
    QObject::connect(&delegate, &AppDelegate::launchStepFinished, [&](Step s) { steps.append(s); });
    delegate.applicationDidFinishLaunching({});
    EXPECT_EQ(delegate.mainWindow()->content(), delegate.contentView());
    EXPECT_TRUE(delegate.contentView()->isShowingDropZone());
    EXPECT_EQ(delegate.mainWindow()->content()->size(), QSize(900, 560));
    EXPECT_FALSE(steps.contains(Step::pendingFoldersScheduled));
}

TEST_F(AppDelegateTest, TheToolbarsSettingsButtonOpensTheSettingsPage)
{
    completeOnboarding();
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    MainView* view = delegate.contentView();
    ASSERT_NE(view, nullptr);
    auto* settings = view->findChild<SettingsView*>();
    ASSERT_NE(settings, nullptr) << "the main view carries the settings page";
    EXPECT_EQ(view->page(), MainView::Page::dropZone);
    view->setSettingsOpened(true);
    EXPECT_EQ(view->page(), MainView::Page::settings);
    EXPECT_TRUE(settings->isVisibleTo(view));
}

TEST_F(AppDelegateTest, ScreenshotScenarioSkipsTheOnboardingAndWrongCaseDoesNot)
{
    qputenv("SCREENSHOT_SCENARIO", "history");
    {
        AppServices services;
        AppDelegate delegate(services);
        delegate.applicationDidFinishLaunching({});
        ASSERT_EQ(delegate.mainWindow()->content(), delegate.contentView());
        EXPECT_EQ(delegate.contentView()->folders().size(), 3);
    }
    qputenv("SCREENSHOT_SCENARIO", "History");
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    EXPECT_TRUE(qobject_cast<OnboardingView*>(delegate.mainWindow()->content()));
}

TEST_F(AppDelegateTest, ClosingHidesTheWindowAndToggleBringsItBack)
{
    completeOnboarding();
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    MainWindow* window = delegate.mainWindow();
    QWidget* content = window->content();
    EXPECT_FALSE(window->close());
    EXPECT_FALSE(window->isVisible());
    delegate.toggleWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->content(), content);
    delegate.toggleWindow();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(AppDelegateTest, HandedOverFoldersAreConfirmedAfterLaunchAndTheKeysRemoved)
{
    completeOnboarding();
    const Folder picked = makeFolder(QStringLiteral("picked"));
    const Folder other = makeFolder(QStringLiteral("other"));
    const Folder container = makeFolder(QStringLiteral("box"));
    const Folder inner = makeFolder(QStringLiteral("box/inner"));
    ASSERT_TRUE(AppGroupStore::setFolderURLs({picked.url().toString(), other.url().toString()}));
    ASSERT_TRUE(AppGroupStore::setContainerURL(container.url().toString()));

    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    EXPECT_EQ(delegate.foldersFromExtension(), (QList<Folder>{picked, other, inner}));
    const Result<HandOver> left = AppGroupStore::take();
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->isEmpty());

    MainView* view = delegate.contentView();
    qRegisterMetaType<QFileDialog*>();
    QSignalSpy panels(view, &MainView::directoryPanelOpened);
    test::answerNextDirectoryPanel(view, {picked.path()});
    QTest::qWait(50);
    EXPECT_EQ(panels.count(), 0); // not before 0.1 s
    ASSERT_TRUE(QTest::qWaitFor([&] { return panels.count() == 1; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->folders().isEmpty(); }, 3000));
    EXPECT_EQ(view->folders(), QList<Folder>{picked});
    EXPECT_EQ(view->currentFolder(), picked);
    EXPECT_TRUE(delegate.foldersFromExtension().isEmpty());
}

TEST_F(AppDelegateTest, FoldersHandedOverDuringTheOnboardingWaitForItsEnd)
{
    const Folder early = makeFolder(QStringLiteral("early"));
    const Folder late = makeFolder(QStringLiteral("late"));
    ASSERT_TRUE(AppGroupStore::setFolderURLs({early.url().toString()}));
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    auto* onboarding = qobject_cast<OnboardingView*>(delegate.mainWindow()->content());
    ASSERT_TRUE(onboarding);
    MainView* view = delegate.contentView();
    qRegisterMetaType<QFileDialog*>();
    QSignalSpy panels(view, &MainView::directoryPanelOpened);
    QTest::qWait(300);
    EXPECT_EQ(panels.count(), 0) << "no confirmation over the onboarding";
    EXPECT_EQ(delegate.foldersFromExtension(), QList<Folder>{early});

    // The file manager hands over more meanwhile, and starts the program again: the onboarding stays.
    ASSERT_TRUE(AppGroupStore::setFolderURLs({late.url().toString()}));
    EXPECT_FALSE(delegate.applicationShouldHandleReopen());
    delegate.paintDirs({late});
    QTest::qWait(50);
    EXPECT_EQ(delegate.mainWindow()->content(), onboarding);

    QString panelStart;
    test::answerNextDirectoryPanel(view, {late.path()},
                                   [&](QFileDialog* panel) { panelStart = panel->directory().absolutePath(); });
    onboarding->finish();
    EXPECT_EQ(delegate.mainWindow()->content(), view);
    EXPECT_EQ(delegate.foldersFromExtension(), (QList<Folder>{early, late, late}))
        << "the launch's, the reopen's and the open request's, waiting to be confirmed";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->folders().isEmpty(); }, 3000));
    EXPECT_EQ(panels.count(), 1);
    EXPECT_EQ(panelStart, QDir(root.path()).absolutePath());
    EXPECT_EQ(view->folders(), QList<Folder>{late});
    EXPECT_TRUE(delegate.foldersFromExtension().isEmpty());
    const Result<HandOver> left = AppGroupStore::take();
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->isEmpty());
}

TEST_F(AppDelegateTest, ReopenShowsHandedOverFoldersAtOnce)
{
    completeOnboarding();
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    delegate.mainWindow()->hide();

    const Folder a = makeFolder(QStringLiteral("a"));
    const Folder box = makeFolder(QStringLiteral("box"));
    const Folder b = makeFolder(QStringLiteral("box/b"));
    ASSERT_TRUE(AppGroupStore::setFolderURLs({a.url().toString()}));
    ASSERT_TRUE(AppGroupStore::setContainerURL(box.url().toString()));
    EXPECT_TRUE(delegate.applicationShouldHandleReopen());
    EXPECT_TRUE(delegate.mainWindow()->isVisible());
    EXPECT_EQ(delegate.mainWindow()->content(), delegate.contentView());
    EXPECT_EQ(delegate.contentView()->folders(), (QList<Folder>{a, b}));
    EXPECT_TRUE(delegate.foldersFromExtension().isEmpty());
}

TEST_F(AppDelegateTest, ReopenWithoutHandOverAnswersFalse)
{
    completeOnboarding();
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    MainView* before = delegate.contentView();
    delegate.mainWindow()->hide();
    EXPECT_FALSE(delegate.applicationShouldHandleReopen());
    EXPECT_EQ(delegate.contentView(), before);
    // No tray host here: a new start is the only way back, so the hidden window comes up.
    ASSERT_FALSE(delegate.statusItem()->isVisible());
    EXPECT_TRUE(delegate.mainWindow()->isVisible());
}

TEST_F(AppDelegateTest, LoginItemStartWithoutTrayStillShowsTheWindow)
{
    completeOnboarding();
    AppServices services;
    AppDelegate delegate(services);
    LaunchRequest request;
    request.action = LaunchRequest::Action::autostart;
    delegate.applicationDidFinishLaunching(request);
    ASSERT_TRUE(delegate.statusItem());
    EXPECT_FALSE(StatusItem::isAvailable());
    EXPECT_TRUE(delegate.mainWindow()->isVisible());
}

TEST_F(AppDelegateTest, OpenRequestsShowTheFoldersAndLaterOnesJoinTheOpenEditor)
{
    completeOnboarding();
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    const Folder a = makeFolder(QStringLiteral("a"));
    LaunchRequest request;
    request.action = LaunchRequest::Action::open;
    request.folders = {a.path()};
    delegate.handleForwardedRequest(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.contentView()->folders() == QList<Folder>{a}; }, 2000));
    EXPECT_EQ(delegate.mainWindow()->content(), delegate.contentView());
    // Centred with the new content's size, not with a size taken before the content was laid out.
    const QRect frame = delegate.mainWindow()->frameGeometry();
    EXPECT_EQ(delegate.mainWindow()->width(), 900);
    EXPECT_LE(std::abs(frame.center().x() - delegate.mainWindow()->screen()->availableGeometry().center().x()), 2);

    MainView* editing = delegate.contentView();
    const Folder b = makeFolder(QStringLiteral("b"));
    request.folders = {b.path()};
    delegate.handleForwardedRequest(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return editing->folders() == QList<Folder>{a, b}; }, 2000));
    EXPECT_EQ(delegate.contentView(), editing) << "the open editor keeps its folders and takes the new one";
}

// Through the channel's real socket: a later start hands the notification over from another thread while
// this one runs the event loop, as a second process would.
TEST_F(AppDelegateTest, TheTestNotificationArrivingOverTheChannelPlaysTheAnimationInTheRunningWindow)
{
    completeOnboarding();
    const QString socket = root.filePath(QStringLiteral("channel"));
    SingleInstance channel(socket);
    ASSERT_EQ(channel.claim({}), SingleInstance::Role::primary);
    AppServices services;
    AppDelegate delegate(services);
    delegate.setRequestChannel(&channel);
    delegate.applicationDidFinishLaunching({});
    MainView* view = delegate.contentView();
    ASSERT_TRUE(view);
    view->setSettingsOpened(true);

    const auto handOver = [&socket](const QString& name) {
        LaunchRequest request;
        request.action = LaunchRequest::Action::notify;
        request.notification = name;
        return std::async(std::launch::async, [socket, request] { return SingleInstance(socket).handOver(request); });
    };
    const auto finished = [](std::future<SingleInstance::Role>& future) {
        return QTest::qWaitFor([&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                               5000);
    };
    std::future<SingleInstance::Role> unknown = handOver(QStringLiteral("pigmoSomethingElse"));
    ASSERT_TRUE(finished(unknown));
    EXPECT_EQ(unknown.get(), SingleInstance::Role::forwarded);
    QTest::qWait(50);
    EXPECT_TRUE(view->applyOverlay()->items().isEmpty()) << "an unknown notification plays nothing";
    EXPECT_TRUE(view->isSettingsOpened());

    std::future<SingleInstance::Role> delivered = handOver(MainView::testApplyAnimationNotification);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->applyOverlay()->items().isEmpty(); }, 5000));
    EXPECT_EQ(view->applyOverlay()->items().size(), 1);
    EXPECT_FALSE(view->isSettingsOpened());
    EXPECT_TRUE(view->folders().isEmpty()) << "no folder is touched";
    ASSERT_TRUE(finished(delivered));
    EXPECT_EQ(delivered.get(), SingleInstance::Role::forwarded);
}

TEST_F(AppDelegateTest, TheTrayMenuSpeaksTheInterfaceLanguage)
{
    qputenv("TEST_LOCALE", "fr");
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    ASSERT_EQ(delegate.statusItem()->menu()->actions().size(), 1);
    EXPECT_EQ(delegate.statusItem()->menu()->actions().first()->text(), QStringLiteral("Quitter"));
    EXPECT_TRUE(qobject_cast<OnboardingView*>(delegate.mainWindow()->content()));
    auto* onboarding = qobject_cast<OnboardingView*>(delegate.mainWindow()->content());
    auto* welcome = qobject_cast<OnboardingWelcomeScreen*>(onboarding->screen());
    ASSERT_TRUE(welcome);
    EXPECT_EQ(welcome->continueButton()->text(), QStringLiteral("Commencer"));
}

TEST_F(AppDelegateTest, TheDisplayModeTakesEffectAtOnceOnTheTrayAndTheTaskbarEntry)
{
    completeOnboarding();
    AppServices services;
    AppDelegate delegate(services);
    delegate.applicationDidFinishLaunching({});
    DisplayModeManager& displayMode = services.displayMode();
    MainWindow* window = delegate.mainWindow();

    displayMode.setDisplayMode(AppDisplayMode::menuBar);
    EXPECT_FALSE(window->isShownInTaskbar());
    EXPECT_EQ(delegate.statusItem()->isVisible(), StatusItem::isAvailable());

    displayMode.setDisplayMode(AppDisplayMode::dock);
    EXPECT_TRUE(window->isShownInTaskbar());
    EXPECT_FALSE(delegate.statusItem()->isVisible());

    displayMode.setDisplayMode(AppDisplayMode::both);
    EXPECT_TRUE(window->isShownInTaskbar());
    EXPECT_EQ(delegate.statusItem()->isVisible(), StatusItem::isAvailable());
    // Without X11 (offscreen here, or Wayland) the window system is not asked: the entry stays.
    EXPECT_FALSE(TaskbarHint::isSupported());
    EXPECT_FALSE(TaskbarHint::setSkipTaskbar(*window->windowHandle(), true));
}
