#include "support/DesktopSession.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace pigmo::test {
namespace {

constexpr int startTimeoutMs = 10'000;
constexpr int endTimeoutMs = 5000;

// The first line a starting process prints on its standard output, without the line break.
QString firstLine(QProcess& process)
{
    const QDeadlineTimer deadline(startTimeoutMs);
    process.waitForStarted(startTimeoutMs);
    while (!process.canReadLine() && process.state() == QProcess::Running && !deadline.hasExpired())
        process.waitForReadyRead(int(deadline.remainingTime()));
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

// Ends every process of the process group `group` and reaps those that became this process's children.
void endProcessGroup(pid_t group)
{
    ::kill(-group, SIGTERM);
    const QDeadlineTimer deadline(endTimeoutMs);
    bool killed = false;
    while (::kill(-group, 0) == 0) { // zombies count until they are reaped
        while (::waitpid(-group, nullptr, WNOHANG) > 0) {
        }
        if (deadline.hasExpired() && !killed) {
            ::kill(-group, SIGKILL);
            killed = true;
        }
        QThread::msleep(10);
    }
}

} // namespace

// The tray: a panel in the top-left corner of the screen that owns the tray selection of screen 0, announces
// it, and docks the icon that asks for it (XEmbed). It also counts the windows that pop up (menus and tool
// tips: unmanaged windows mapped on the screen). It answers while the test's event loop runs.
struct DesktopSession::Tray {
    static constexpr int iconSize = DesktopSession::trayIconSize;

    xcb_connection_t* connection = nullptr;
    xcb_window_t panel = 0;
    xcb_atom_t opcode = 0;
    xcb_atom_t xembed = 0;
    int popups = 0;
    std::unique_ptr<QSocketNotifier> notifier;

    ~Tray()
    {
        notifier.reset();
        if (connection)
            xcb_disconnect(connection);
    }

    bool start(const QString& display)
    {
        connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
        if (xcb_connection_has_error(connection))
            return false;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        panel = xcb_generate_id(connection);
        const uint32_t values[] = {screen->black_pixel, 1};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, panel, screen->root, 0, 0, iconSize, iconSize, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(connection, panel);
        const uint32_t watched = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &watched);
        opcode = atom(connection, "_NET_SYSTEM_TRAY_OPCODE");
        xembed = atom(connection, "_XEMBED");
        const xcb_atom_t selection = atom(connection, "_NET_SYSTEM_TRAY_S0");
        xcb_set_selection_owner(connection, panel, selection, XCB_CURRENT_TIME);
        sendMessage(screen->root, atom(connection, "MANAGER"), {XCB_CURRENT_TIME, selection, panel, 0, 0},
                    XCB_EVENT_MASK_STRUCTURE_NOTIFY);
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
        const bool owned = owner && owner->owner == panel;
        std::free(owner);
        notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection), QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [this] { answer(); });
        return owned;
    }

    void sendMessage(xcb_window_t to, xcb_atom_t type, std::array<uint32_t, 5> data, uint32_t mask = 0)
    {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = to;
        message.type = type;
        std::copy(data.begin(), data.end(), message.data.data32);
        xcb_send_event(connection, 0, to, mask, reinterpret_cast<const char*>(&message));
        xcb_flush(connection);
    }

    void answer()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto type = event->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY && reinterpret_cast<const xcb_map_notify_event_t*>(event)->override_redirect)
                ++popups;
            if (type == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
                constexpr uint32_t requestDock = 0;
                if (message->type == opcode && message->data.data32[1] == requestDock)
                    dock(message->data.data32[2]);
            }
            std::free(event);
        }
    }

    // One icon at a time: a program that ends takes its icon with it.
    void dock(xcb_window_t icon)
    {
        xcb_reparent_window(connection, icon, panel, 0, 0);
        constexpr uint32_t embeddedNotify = 0;
        sendMessage(icon, xembed, {XCB_CURRENT_TIME, embeddedNotify, 0, panel, 0});
        xcb_map_window(connection, icon);
        xcb_flush(connection);
    }
};

DesktopSession::DesktopSession()
{
    // What the bus's services leave behind when it ends comes to this process, which reaps it.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!runtime_.isValid())
        problem_ = QStringLiteral("no runtime directory");
    else if (startDisplay())
        startBus();
}

DesktopSession::~DesktopSession()
{
    tray_.reset();
    endBus();
    if (xvfb_.state() != QProcess::NotRunning) {
        xvfb_.terminate();
        if (!xvfb_.waitForFinished(endTimeoutMs)) {
            xvfb_.kill();
            xvfb_.waitForFinished(endTimeoutMs);
        }
    }
}

bool DesktopSession::startDisplay()
{
    // The server writes the display number it took to standard output once it accepts connections.
    xvfb_.setStandardErrorFile(QProcess::nullDevice()); // it reports each display number it finds taken
    xvfb_.start(QStringLiteral("Xvfb"),
                {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"});
    const QString number = firstLine(xvfb_);
    if (number.isEmpty()) {
        problem_ = QStringLiteral("Xvfb did not start: ") + xvfb_.errorString();
        return false;
    }
    display_ = u':' + number;
    return true;
}

bool DesktopSession::startBus()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("DISPLAY"), display_);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    bus_.setProcessEnvironment(environment);
    bus_.setStandardErrorFile(QProcess::nullDevice());
    // A process group of its own: the services the bus starts join it, and all end with it.
    bus_.setChildProcessModifier([] { ::setsid(); });
    bus_.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    busAddress_ = firstLine(bus_);
    if (busAddress_.isEmpty()) {
        problem_ = QStringLiteral("the session bus did not start: ") + bus_.errorString();
        return false;
    }
    return true;
}

void DesktopSession::endBus()
{
    if (bus_.state() == QProcess::NotRunning)
        return;
    const auto group = pid_t(bus_.processId());
    ::kill(group, SIGTERM);
    bus_.waitForFinished(endTimeoutMs); // reaped by QProcess; the rest of its group below
    endProcessGroup(group);
}

QProcessEnvironment DesktopSession::environment(QProcessEnvironment base) const
{
    base.remove(QStringLiteral("WAYLAND_DISPLAY"));
    base.insert(QStringLiteral("DISPLAY"), display_);
    base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    base.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    base.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    return base;
}

bool DesktopSession::startTray()
{
    tray_ = std::make_unique<Tray>();
    if (tray_->start(display_))
        return true;
    tray_.reset();
    return false;
}

void DesktopSession::stopTray()
{
    tray_.reset();
}

int DesktopSession::popupsShown() const
{
    return tray_ ? tray_->popups : 0;
}

} // namespace pigmo::test
