#pragma once

#include "base/Result.h"

#include <QUrl>

namespace pigmo {

// Hand-offs to the desktop: web pages to the browser, and starting the installed program.
class Desktop {
public:
    // Opens the page in the user's browser; logs and returns false when nothing could open it.
    static bool openWebPage(const QUrl& url);
    // Starts the installed program through its desktop file io.velmar.pigmo2.desktop (a running instance
    // takes it as a reopen). Fails with a reason when the desktop file is not installed or will not start.
    static Result<void> launchMainProgram();
};

} // namespace pigmo
