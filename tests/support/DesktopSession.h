#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace pigmo::test {

// A desktop session of a test's own, for starting the real program as a user would: an X display (Xvfb on
// a free display number), a session bus whose services (the accessibility bus, gvfs) start on demand, a
// private runtime directory, and on request a tray that docks tray icons (XEmbed). No window manager.
//
// The test process becomes the reaper of what the session's services leave behind: when the session goes,
// its bus, every service started on it and the display end, and none of them is left running or unreaped.
class DesktopSession {
public:
    DesktopSession();
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Whether the display and the bus run; `problem()` says what failed otherwise.
    bool isValid() const { return problem_.isEmpty(); }
    QString problem() const { return problem_; }

    QString display() const { return display_; }                 // ":N"
    QString busAddress() const { return busAddress_; }           // the session bus
    QString runtimeDirectory() const { return runtime_.path(); } // XDG_RUNTIME_DIR, mode 0700

    // The environment of a program of this session: `base` with the display, the bus and the runtime
    // directory of this session, the X11 platform and the accessibility bridge switched on.
    QProcessEnvironment environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

    // Starts or stops a tray on the display: a program started while it runs docks its tray icon in it, a
    // square of `trayIconSize` in the top-left corner of the screen. It docks while the test's event loop
    // runs, and meanwhile counts the windows that pop up on the screen (menus, tool tips).
    static constexpr int trayIconSize = 22;
    bool startTray();
    void stopTray();
    int popupsShown() const;

private:
    bool startDisplay();
    bool startBus();
    void endBus();

    QTemporaryDir runtime_;
    QProcess xvfb_;
    QProcess bus_;
    QString display_;
    QString busAddress_;
    QString problem_;
    struct Tray;
    std::unique_ptr<Tray> tray_;
};

} // namespace pigmo::test
