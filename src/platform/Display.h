#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace pigmo {

// Whether this process can open windows, answered before Qt loads a window platform: Qt ends a process
// that has none with an abort.
class Display {
public:
    // What the program says, on standard error, when it cannot open its window.
    static inline const QString noDisplayMessage = QStringLiteral("cannot open a window: no display");

    // True when a window platform is named (QT_QPA_PLATFORM, or `-platform` among `arguments`: Qt is
    // trusted with it) or the environment names a Wayland or X11 display (WAYLAND_DISPLAY, DISPLAY).
    static bool available(const QStringList& arguments);
};

// While it lives, Qt's fatal message when no window platform can start (for example DISPLAY names a display
// that does not answer) becomes `Display::noDisplayMessage` and exit status 1 instead of an abort. Every
// other message passes on unchanged. One at a time, on the thread that makes the application object.
class NoDisplayExit {
public:
    NoDisplayExit();
    ~NoDisplayExit();
    NoDisplayExit(const NoDisplayExit&) = delete;
    NoDisplayExit& operator=(const NoDisplayExit&) = delete;

private:
    QtMessageHandler previous_;
};

} // namespace pigmo
