#pragma once

#include <QString>

namespace pigmo {

// Finds named icons of the desktop's icon theme in the XDG icon directories, without the GUI thread (no
// QIcon). The theme is the desktop's GNOME setting when one is installed, else Adwaita; its Inherits chain
// and hicolor are searched after it. Thread-safe.
class IconTheme {
public:
    // The file of the largest bitmap of the icon, else its scalable file; empty when the theme has neither.
    static QString iconPath(const QString& name);
    static QString iconPath(const QString& name, const QString& firstTheme);
    // The theme searched first.
    static QString themeName();
};

} // namespace pigmo
