#pragma once

#include <QImage>
#include <QString>

#include <functional>

namespace pigmo {

// Full Disk Access on Linux: there is no such permission. A sandboxed program ("APP_SANDBOX_CONTAINER_ID" or
// "FLATPAK_ID" set) never counts as holding it; any other holds it when it can list the user's home
// directory. Lines go to the system log.
class FullDiskAccess {
public:
    FullDiskAccess() = delete;

    // Probes anew on each call.
    static bool isGranted();
    // Linux has no privacy pane to open: logs that and does nothing else.
    static void openSystemSettings();

    struct PromptRequest {
        QString title;
        QString message;
        QString settingsButtonTitle; // first button, the default
        QString skipButtonTitle;
        bool canBeSuppressed = false; // show the "do not ask again" box
        QImage icon;                  // null: the presenter's default icon
    };
    struct PromptAnswer {
        bool settingsButtonChosen = false;
        bool suppressionChecked = false;
    };
    // Shows the alert modally and reports how it was closed (the user interface provides it).
    using PromptPresenter = std::function<PromptAnswer(const PromptRequest&)>;

    // Asks the user to grant access unless the prompt is suppressed (only when it can be), the program is
    // sandboxed, or access is granted. A ticked suppression box is stored under "fda_suppressed"; the
    // settings button opens the settings as `openSystemSettings()` does.
    static void promptIfNotGranted(const PromptRequest& request, const PromptPresenter& presenter);
    static void resetPromptSuppression();

    static bool isSandboxed();
    // The directory the probe lists, with "~" for the home directory as the log lines show it.
    static QString probeDirectory() { return QStringLiteral("~"); }
};

} // namespace pigmo
