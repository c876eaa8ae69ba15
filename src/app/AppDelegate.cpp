#include "app/AppDelegate.h"

#include "app/AppServices.h"
#include "app/FolderIntake.h"
#include "app/MainMenu.h"
#include "app/MainWindow.h"
#include "app/StatusItem.h"
#include "base/Log.h"
#include "base/Product.h"
#include "catalogue/IconsModel.h"
#include "fulldiskaccess/FDAPermissionManager.h"
#include "platform/AppGroupStore.h"
#include "platform/Desktop.h"
#include "platform/FullDiskAccess.h"
#include "platform/SingleInstance.h"
#include "services/AppearanceManager.h"
#include "services/DisplayModeManager.h"
#include "services/FolderLanguagesManager.h"
#include "services/FolderStyler.h"
#include "services/FolderWatcherService.h"
#include "services/IconStylePreferenceManager.h"
#include "services/LaunchAtLoginManager.h"
#include "services/LocalizationManager.h"
#include "services/OnboardingSuggestionsModel.h"
#include "smart/SmartIconService.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"
#include "storage/LegacyHistoryMigration.h"
#include "storage/Preferences.h"
#include "ui/Localized.h"
#include "ui/main/MainView.h"
#include "ui/main/ScreenshotScenario.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/settings/SettingsView.h"

#include <QApplication>
#include <QTimer>

namespace pigmo {
namespace {

constexpr QSize mainViewContentSize{900, 560};
constexpr int waitingFoldersDelayMs = 100;

} // namespace

AppDelegate::AppDelegate(AppServices& services, QObject* parent)
    : QObject(parent)
    , services_(services)
{
}

AppDelegate::~AppDelegate()
{
    services_.displayMode().setStatusItem({});
    services_.displayMode().setMainWindow(nullptr);
    // The main view waiting behind the onboarding has no parent yet.
    if (contentView_ && !contentView_->parent())
        delete contentView_.data();
}

void AppDelegate::step(LaunchStep finished)
{
    Q_EMIT launchStepFinished(finished);
}

void AppDelegate::applicationDidFinishLaunching(const LaunchRequest& request)
{
    // A tray program first: hiding the last window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);
    step(LaunchStep::activationPolicy);

    QMenuBar* menu = MainMenu{[this] { checkForUpdates(); }, [this] { quitApp(); }}.build(services_.localization());
    step(LaunchStep::mainMenu);

    migrateLegacyHistoryIfNeeded(services_.history());
    step(LaunchStep::historyMigration);

    services_.fullDiskAccess().checkPermission();
    step(LaunchStep::fullDiskAccessCheck);

    FolderWatcherService& watcher = services_.watcher();
    if (watcher.isEnabled())
        watcher.start();
    step(LaunchStep::folderWatcher);

    services_.smartIcons().buildIndexIfNeeded();
    step(LaunchStep::keywordIndex);

    takeFoldersFromExtension();
    step(LaunchStep::extensionFolders);

    createStatusItem();
    step(LaunchStep::statusItem);

    QWidget* content = createContent();
    step(LaunchStep::content);

    mainWindow_ = std::make_unique<MainWindow>(menu);
    mainWindow_->setContent(content);
    step(LaunchStep::mainWindow);

    applyDisplayMode();
    step(LaunchStep::appearanceAndDisplayMode);

    // Without a tray icon the window is the only way in, so it shows even at login.
    if (request.action != LaunchRequest::Action::autostart || !trayShown()) {
        mainWindow_->bringToFront();
        QTimer::singleShot(0, mainWindow_.get(), &MainWindow::centre);
    }
    step(LaunchStep::activation);

    // The provider of the "open" and "smart" requests: later starts hand their command lines over here.
    if (requestChannel_) {
        connect(requestChannel_, &SingleInstance::requestReceived, this, &AppDelegate::handleForwardedRequest);
    }
    step(LaunchStep::servicesProvider);

    if (!foldersFromExtension_.isEmpty()) {
        QTimer::singleShot(waitingFoldersDelayMs, this, &AppDelegate::confirmWaitingFolders);
        step(LaunchStep::pendingFoldersScheduled);
    }

    takeRequestedFolders(request);
}

void AppDelegate::createStatusItem()
{
    statusItem_ = std::make_unique<StatusItem>(services_.localization().string(u"quit"_key));
    connect(statusItem_.get(), &StatusItem::clicked, this, &AppDelegate::toggleWindow);
    connect(statusItem_.get(), &StatusItem::quitRequested, this, &AppDelegate::quitApp);
}

// The window's first content: a screenshot scenario's main view when one is requested; otherwise an
// empty main view, shown at once or kept behind the onboarding until it completes.
QWidget* AppDelegate::createContent()
{
    if (const std::optional<ScreenshotScenario> scenario = screenshotScenarioFromEnvironment()) {
        contentView_ = new MainView(*scenario, editorServices());
        return contentView_;
    }
    contentView_ = makeMainView({});
    if (Preferences::value(prefs::hasCompletedOnboarding))
        return contentView_;
    OnboardingView::Services services{services_.watcher(),
                                      services_.iconStylePreference(),
                                      services_.folderLanguages(),
                                      services_.fullDiskAccess(),
                                      services_.localization(),
                                      [] { return FullDiskAccess::isGranted(); },
                                      [this] {
                                          return std::make_unique<OnboardingSuggestionsModel>(
                                              OnboardingSuggestionsModel::Services{
                                                  services_.smartIcons(), services_.attributes(), services_.styler()});
                                      }};
    return new OnboardingView(std::move(services), [self = QPointer<AppDelegate>(this)] {
        if (self)
            self->onboardingDidComplete();
    });
}

EditorServices AppDelegate::editorServices()
{
    return {services_.localization(), services_.history(),    services_.palettes(), services_.icons(),
            services_.smartIcons(),   services_.attributes(), services_.executors()};
}

MainView* AppDelegate::makeMainView(const QList<Folder>& folders)
{
    auto* view = new MainView(folders, false, &services_.styler(), editorServices());
    view->setSettingsPage(new SettingsView(SettingsServices{
        services_.appearance(), services_.displayMode(), services_.localization(), services_.folderLanguages(),
        services_.iconStylePreference(), services_.fullDiskAccess(), services_.watcher(), services_.launchAtLogin()}));
    return view;
}

// The display mode decides whether the tray icon shows; the window is handed over after the tray icon, and
// the mode applied after each, as the managers expect.
void AppDelegate::applyDisplayMode()
{
    services_.appearance().updateWindowBackgrounds();
    DisplayModeManager& displayMode = services_.displayMode();
    displayMode.setStatusItem([item = statusItem_.get()](bool visible) { item->setVisible(visible); });
    // "menu_bar" keeps the window out of the taskbar; the tray icon follows the mode through the function above.
    connect(&displayMode, &DisplayModeManager::activationPolicyApplied, mainWindow_.get(),
            [window = mainWindow_.get()](ActivationPolicy policy) {
                window->setShownInTaskbar(policy == ActivationPolicy::regular);
            });
    displayMode.applyDisplayMode();
    mainWindow_->winId(); // the window system's window exists from here on
    displayMode.setMainWindow(mainWindow_->windowHandle());
    displayMode.applyDisplayMode();
}

bool AppDelegate::trayShown() const
{
    return statusItem_ && statusItem_->isVisible();
}

// The main view takes the window, then the folders that waited during the onboarding: those taken at
// launch or by a later start, and those the file manager left in the hand-over store meanwhile.
void AppDelegate::onboardingDidComplete()
{
    if (!mainWindow_ || !contentView_)
        return;
    mainWindow_->setContent(contentView_);
    mainWindow_->setContentSize(mainViewContentSize);
    mainWindow_->centre();
    FolderWatcherService& watcher = services_.watcher();
    if (watcher.isEnabled() && services_.fullDiskAccess().hasFullDiskAccess())
        watcher.start();
    const QList<Folder> waiting = std::exchange(foldersFromExtension_, {});
    takeFoldersFromExtension();
    foldersFromExtension_ = waiting + foldersFromExtension_;
    if (!foldersFromExtension_.isEmpty())
        QTimer::singleShot(waitingFoldersDelayMs, this, &AppDelegate::confirmWaitingFolders);
    Q_EMIT onboardingCompleted();
}

bool AppDelegate::isOnboardingShown() const
{
    return mainWindow_ && qobject_cast<OnboardingView*>(mainWindow_->content());
}

void AppDelegate::confirmWaitingFolders()
{
    // Folders wait for the end of the onboarding; it hands them over itself.
    if (foldersFromExtension_.isEmpty() || isOnboardingShown())
        return;
    const QList<Folder> waiting = std::exchange(foldersFromExtension_, {});
    if (contentView_)
        contentView_->confirmAndAddFolders(waiting);
}

void AppDelegate::takeFoldersFromExtension()
{
    const Result<HandOver> handOver = AppGroupStore::take();
    if (!handOver)
        return;
    if (handOver->folderURLs)
        foldersFromExtension_ = FolderIntake::folders(HandOver{handOver->folderURLs, std::nullopt});
    if (handOver->containerURL)
        foldersFromExtension_.append(FolderIntake::folders(HandOver{std::nullopt, handOver->containerURL}));
}

bool AppDelegate::applicationShouldHandleReopen()
{
    if (isOnboardingShown()) {
        // The onboarding stays; the folders wait in the hand-over store until it ends.
        mainWindow_->bringToFront();
        return false;
    }
    takeFoldersFromExtension();
    if (foldersFromExtension_.isEmpty()) {
        // Without a tray icon a new start is the only way back to a hidden window.
        if (!trayShown() && mainWindow_ && !mainWindow_->isVisible())
            toggleWindow();
        return false;
    }
    showWindowForPendingFolders(std::exchange(foldersFromExtension_, {}));
    return true;
}

void AppDelegate::handleForwardedRequest(const LaunchRequest& request)
{
    if (request.action == LaunchRequest::Action::notify) {
        postNotification(request.notification);
        return;
    }
    applicationShouldHandleReopen();
    takeRequestedFolders(request);
}

// The window's notifications by name; an unknown name is logged and dropped. The window is not brought up.
void AppDelegate::postNotification(const QString& name)
{
    if (name == MainView::testApplyAnimationNotification && contentView_)
        Q_EMIT contentView_->pigmoTestApplyAnimation();
    else if (name != MainView::testApplyAnimationNotification)
        log::warning(QStringLiteral("Ignored the unknown notification \"%1\".").arg(name));
}

void AppDelegate::takeRequestedFolders(const LaunchRequest& request)
{
    // The paths were folders when the command line was read; one that went away since fails when styled.
    QList<Folder> folders;
    for (const QString& path : request.folders)
        folders.append(Folder::unchecked(path));
    if (request.action == LaunchRequest::Action::open)
        paintDirs(folders);
    else if (request.action == LaunchRequest::Action::smart)
        smartPaintDirs(folders);
}

void AppDelegate::toggleWindow()
{
    if (!mainWindow_)
        return;
    if (mainWindow_->isVisible()) {
        mainWindow_->hide();
        return;
    }
    mainWindow_->bringToFront();
    QTimer::singleShot(0, mainWindow_.get(), &MainWindow::centre);
}

void AppDelegate::showWindowForPendingFolders(const QList<Folder>& folders)
{
    if (!mainWindow_)
        return;
    if (isOnboardingShown()) {
        foldersFromExtension_.append(folders);
        mainWindow_->bringToFront();
        return;
    }
    if (contentView_ && mainWindow_->content() == contentView_) {
        // The open editor takes them in: a new view would drop the folders being edited.
        contentView_->colorizers().addFolders(folders);
    } else {
        contentView_ = makeMainView(folders);
        mainWindow_->setContent(contentView_);
    }
    mainWindow_->centre();
    mainWindow_->bringToFront();
}

void AppDelegate::paintDirs(const QList<Folder>& folders)
{
    if (folders.isEmpty())
        return;
    QTimer::singleShot(0, this, [this, folders] { showWindowForPendingFolders(folders); });
}

void AppDelegate::smartPaintDirs(const QList<Folder>& folders)
{
    if (folders.isEmpty())
        return;
    services_.styler().styleByName(folders, QStringLiteral("[Smart] "));
}

void AppDelegate::quitApp()
{
    quitting_ = true;
    if (requestChannel_)
        requestChannel_->stopListening();
    if (statusItem_)
        statusItem_->setVisible(false);
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    // QCoreApplication::quit() would first close every window and give up when one stays (the main window
    // only hides when closed); exit() ends the loops as they are.
    QCoreApplication::exit(0);
}

void AppDelegate::finishPendingWork()
{
    services_.styler().finish();
    services_.history().flush(); // whatever a batch still holds reaches the disk
}

void AppDelegate::checkForUpdates()
{
    Desktop::openWebPage(QUrl(QLatin1String(product::siteUrl) + QStringLiteral("/download")));
}

} // namespace pigmo
