#pragma once

#include <QString>

namespace pigmo {

// Where the program's bundle data (icons, keyword files, string tables, artwork) lives. The one place
// that decides: the environment variable PIGMO_RESOURCES_DIR when set; else "../share/pigmo2" next to
// the running binary when it exists (an installed program); else the source tree's resources/ folder
// (builds and tests).
class BundleResources {
public:
    static QString directory();
    // An absolute path below the resources directory; the file need not exist.
    static QString path(const QString& relativePath);
};

} // namespace pigmo
