#pragma once

#include <QString>

namespace pigmo {

// The user's home and the well-known folders of the XDG user directories ($XDG_CONFIG_HOME/user-dirs.dirs),
// so that a German "Schreibtisch" or a French "Bureau" is the desktop. Read afresh on every call.
struct UserDirectories {
    QString home;
    // The desktop and documents folders; the English names below the home when the user directories name
    // none. Empty when the user turned the folder off (pointed it at the home itself).
    QString desktop;
    QString documents;
    // The shared and templates folders; empty when none is named or when it is the home itself.
    QString publicShare;
    QString templates;

    static UserDirectories current();
};

} // namespace pigmo
