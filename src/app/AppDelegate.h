#pragma once

#include "base/Folder.h"
#include "platform/CommandLine.h"
#include "ui/main/MainView.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>

namespace pigmo {

class AppServices;
class MainWindow;
class SingleInstance;
class StatusItem;

// The application delegate: starts the program's services in a fixed order, owns the one main window
// and the tray icon, and takes folders from the file manager's hand-over and the command line. One
// instance lives for the whole run, on the GUI thread; the services it uses outlive it.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // The launch sequence's steps, in their order.
    enum class LaunchStep {
        activationPolicy,
        mainMenu,
        historyMigration,
        fullDiskAccessCheck,
        folderWatcher,
        keywordIndex,
        extensionFolders,
        statusItem,
        content,
        mainWindow,
        appearanceAndDisplayMode,
        activation,
        servicesProvider,
        pendingFoldersScheduled,
    };
    Q_ENUM(LaunchStep)

    explicit AppDelegate(AppServices& services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Where later starts' requests arrive; set before the launch, which connects to it.
    void setRequestChannel(SingleInstance* channel) { requestChannel_ = channel; }
    // The launch sequence; runs once, before the event loop starts.
    void applicationDidFinishLaunching(const LaunchRequest& request);
    // The program was started again while it runs: takes the hand-over and shows its folders. True when
    // folders were waiting. During the onboarding it only brings the window forward: the folders stay in
    // the hand-over store, and the end of the onboarding takes them.
    bool applicationShouldHandleReopen();
    // A later start's request, forwarded by the single-instance channel: a reopen, then its --open or
    // --smart folders; a notification is only posted.
    void handleForwardedRequest(const LaunchRequest& request);
    // Raises a named notification of the window ("pigmoTestApplyAnimation" plays the test animation).
    void postNotification(const QString& name);

    // Hides the window when it is visible; otherwise shows it in front and centres it right after.
    void toggleWindow();
    // Shows the main window with a new main view holding exactly `folders`, centred, in front; during the
    // onboarding the folders wait for its end instead.
    void showWindowForPendingFolders(const QList<Folder>& folders);
    // Reads and removes the file manager's hand-over entries into `foldersFromExtension()`.
    void takeFoldersFromExtension();
    // Opens `folders` in the main window (the "open" request); nothing when the list is empty.
    void paintDirs(const QList<Folder>& folders);
    // Styles `folders` at once, one after the other, through the folder styler (the "smart" request).
    void smartPaintDirs(const QList<Folder>& folders);
    // Ends the program: hides its windows and tray icon, stops taking later starts' requests (a start from
    // now on runs by itself), and ends every running event loop, a dialog's included. Nothing shown can
    // refuse, unlike closing the windows. Called before the event loop starts, it keeps it from starting
    // (see `isQuitting`).
    void quitApp();
    // Whether the program was asked to end; the event loop is not started then.
    bool isQuitting() const { return quitting_; }
    // Lets the folder styler finish the folder it is writing and record what it wrote, and drops the rest;
    // called when the event loop has ended.
    void finishPendingWork();

    MainWindow* mainWindow() const { return mainWindow_.get(); }
    StatusItem* statusItem() const { return statusItem_.get(); }
    MainView* contentView() const { return contentView_; }
    const QList<Folder>& foldersFromExtension() const { return foldersFromExtension_; }

Q_SIGNALS:
    void launchStepFinished(AppDelegate::LaunchStep step);
    // The onboarding finished and the main view took its place.
    void onboardingCompleted();

private:
    void step(LaunchStep finished);
    void createStatusItem();
    QWidget* createContent();
    // The main view over the given folders, with the settings page over the program's managers.
    MainView* makeMainView(const QList<Folder>& folders);
    // What the editor's views read and call, from the program's services.
    EditorServices editorServices();
    void applyDisplayMode();
    void confirmWaitingFolders();
    void onboardingDidComplete();
    // The window shows the onboarding (folders then wait for its end).
    bool isOnboardingShown() const;
    void takeRequestedFolders(const LaunchRequest& request);
    void checkForUpdates();
    bool trayShown() const;

    AppServices& services_;
    std::unique_ptr<StatusItem> statusItem_;
    std::unique_ptr<MainWindow> mainWindow_;
    QPointer<MainView> contentView_;
    QList<Folder> foldersFromExtension_;
    SingleInstance* requestChannel_ = nullptr;
    bool quitting_ = false;
};

} // namespace pigmo
