#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/StatusItem.h"
#include "platform/AppGroupStore.h"
#include "storage/Preferences.h"
#include "support/DirectoryPanelAnswer.h"
#include "ui/main/MainView.h"
#include "ui/onboarding/OnboardingView.h"

#include <gtest/gtest.h>

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

    QUrl makeFolder(const QString& relative)
    {
        EXPECT_TRUE(QDir(root.path()).mkpath(relative));
        return QUrl::fromLocalFile(root.filePath(relative));
    }
    static void completeOnboarding() { Preferences::setValue(prefs::hasCompletedOnboarding, true); }

    QTemporaryDir root;
};

} // namespace

TEST_F(AppDelegateTest, FirstStartShowsTheOnboardingThenTheMainViewAt900By560)
{
    AppDelegate delegate;
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
    onboarding->continueButton()->click();
    EXPECT_EQ(completed.count(), 1);
    EXPECT_TRUE(Preferences::value(prefs::hasCompletedOnboarding));
    EXPECT_EQ(window->content(), waiting);
    EXPECT_EQ(window->content()->size(), QSize(900, 560));
    EXPECT_TRUE(delegate.statusItem());
}

TEST_F(AppDelegateTest, LaunchRunsItsStepsInOrder)
{
    completeOnboarding();
    ASSERT_TRUE(AppGroupStore::setFolderURLs({makeFolder(QStringLiteral("one")).toString()}));
    AppDelegate delegate;
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
    AppDelegate delegate;
    QList<Step> steps;
    QObject::connect(&delegate, &AppDelegate::launchStepFinished, [&](Step s) { steps.append(s); });
    delegate.applicationDidFinishLaunching({});
    EXPECT_EQ(delegate.mainWindow()->content(), delegate.contentView());
    EXPECT_TRUE(delegate.contentView()->isShowingDropZone());
    EXPECT_EQ(delegate.mainWindow()->content()->size(), QSize(900, 560));
    EXPECT_FALSE(steps.contains(Step::pendingFoldersScheduled));
}

TEST_F(AppDelegateTest, ScreenshotScenarioSkipsTheOnboardingAndWrongCaseDoesNot)
{
    qputenv("SCREENSHOT_SCENARIO", "history");
    {
        AppDelegate delegate;
        delegate.applicationDidFinishLaunching({});
        ASSERT_EQ(delegate.mainWindow()->content(), delegate.contentView());
        EXPECT_EQ(delegate.contentView()->folderURLs().size(), 3);
    }
    qputenv("SCREENSHOT_SCENARIO", "History");
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching({});
    EXPECT_TRUE(qobject_cast<OnboardingView*>(delegate.mainWindow()->content()));
}

TEST_F(AppDelegateTest, ClosingHidesTheWindowAndToggleBringsItBack)
{
    completeOnboarding();
    AppDelegate delegate;
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
    const QUrl picked = makeFolder(QStringLiteral("picked"));
    const QUrl other = makeFolder(QStringLiteral("other"));
    const QUrl container = makeFolder(QStringLiteral("box"));
    const QUrl inner = makeFolder(QStringLiteral("box/inner"));
    ASSERT_TRUE(AppGroupStore::setFolderURLs({picked.toString(), other.toString()}));
    ASSERT_TRUE(AppGroupStore::setContainerURL(container.toString()));

    AppDelegate delegate;
    delegate.applicationDidFinishLaunching({});
    EXPECT_EQ(delegate.urlsFromExtension(), (QList<QUrl>{picked, other, inner}));
    const Result<HandOver> left = AppGroupStore::take();
    ASSERT_TRUE(left);
    EXPECT_TRUE(left->isEmpty());

    MainView* view = delegate.contentView();
    qRegisterMetaType<QFileDialog*>();
    QSignalSpy panels(view, &MainView::directoryPanelOpened);
    test::answerNextDirectoryPanel(view, {picked.toLocalFile()});
    QTest::qWait(50);
    EXPECT_EQ(panels.count(), 0); // not before 0.1 s
    ASSERT_TRUE(QTest::qWaitFor([&] { return panels.count() == 1; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->folderURLs().isEmpty(); }, 3000));
    EXPECT_EQ(view->folderURLs(), QList<QUrl>{picked});
    EXPECT_EQ(view->currentFolder(), picked);
    EXPECT_TRUE(delegate.urlsFromExtension().isEmpty());
}

TEST_F(AppDelegateTest, ReopenShowsHandedOverFoldersAtOnce)
{
    completeOnboarding();
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching({});
    delegate.mainWindow()->hide();

    const QUrl a = makeFolder(QStringLiteral("a"));
    const QUrl box = makeFolder(QStringLiteral("box"));
    const QUrl b = makeFolder(QStringLiteral("box/b"));
    ASSERT_TRUE(AppGroupStore::setFolderURLs({a.toString()}));
    ASSERT_TRUE(AppGroupStore::setContainerURL(box.toString()));
    EXPECT_TRUE(delegate.applicationShouldHandleReopen());
    EXPECT_TRUE(delegate.mainWindow()->isVisible());
    EXPECT_EQ(delegate.mainWindow()->content(), delegate.contentView());
    EXPECT_EQ(delegate.contentView()->folderURLs(), (QList<QUrl>{a, b}));
    EXPECT_TRUE(delegate.urlsFromExtension().isEmpty());
}

TEST_F(AppDelegateTest, ReopenWithoutHandOverAnswersFalse)
{
    completeOnboarding();
    AppDelegate delegate;
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
    AppDelegate delegate;
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
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching({});
    const QUrl a = makeFolder(QStringLiteral("a"));
    LaunchRequest request;
    request.action = LaunchRequest::Action::open;
    request.folders = {a.toLocalFile()};
    delegate.handleForwardedRequest(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.contentView()->folderURLs() == QList<QUrl>{a}; }, 2000));
    EXPECT_EQ(delegate.mainWindow()->content(), delegate.contentView());
    // Centred with the new content's size, not with a size taken before the content was laid out.
    const QRect frame = delegate.mainWindow()->frameGeometry();
    EXPECT_EQ(delegate.mainWindow()->width(), 900);
    EXPECT_LE(std::abs(frame.center().x() - delegate.mainWindow()->screen()->availableGeometry().center().x()), 2);

    MainView* editing = delegate.contentView();
    const QUrl b = makeFolder(QStringLiteral("b"));
    request.folders = {b.toLocalFile()};
    delegate.handleForwardedRequest(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return editing->folderURLs() == QList<QUrl>{a, b}; }, 2000));
    EXPECT_EQ(delegate.contentView(), editing) << "the open editor keeps its folders and takes the new one";
}

TEST_F(AppDelegateTest, TheTrayMenuSpeaksTheInterfaceLanguage)
{
    qputenv("TEST_LOCALE", "fr");
    AppDelegate delegate;
    delegate.applicationDidFinishLaunching({});
    ASSERT_EQ(delegate.statusItem()->menu()->actions().size(), 1);
    EXPECT_EQ(delegate.statusItem()->menu()->actions().first()->text(), QStringLiteral("Quitter"));
    EXPECT_TRUE(qobject_cast<OnboardingView*>(delegate.mainWindow()->content()));
    auto* onboarding = qobject_cast<OnboardingView*>(delegate.mainWindow()->content());
    EXPECT_EQ(onboarding->continueButton()->text(), QStringLiteral("Commencer"));
}
