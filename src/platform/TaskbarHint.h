#pragma once

class QWindow;

namespace pigmo {

// Keeping a window out of the taskbar. On X11 this is the window manager's skip-taskbar state
// (_NET_WM_STATE_SKIP_TASKBAR), set on the window before it is mapped and changed through the window manager
// while it is mapped. Wayland has no such request: there a window always has its taskbar entry.
class TaskbarHint {
public:
    // Whether the running window system can keep a window out of the taskbar.
    static bool isSupported();
    // Asks for `window` to be left out of the taskbar (`skip`) or shown in it. False when the window system
    // cannot (Wayland, offscreen) or the window has no native window yet; nothing is changed then.
    static bool setSkipTaskbar(QWindow& window, bool skip);
};

} // namespace pigmo
