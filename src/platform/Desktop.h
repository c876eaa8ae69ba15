#pragma once

#include <QUrl>

namespace pigmo {

// Hand-offs to the desktop: web pages to the browser.
class Desktop {
public:
    // Opens the page in the user's browser; logs and returns false when nothing could open it.
    static bool openWebPage(const QUrl& url);
};

} // namespace pigmo
