#pragma once

#include "base/Result.h"

#include <QString>

namespace pigmo {

// The gvfs metadata key "metadata::custom-icon" of a path (read by Nautilus, Nemo and Caja). Needs a session
// bus with gvfsd-metadata; without one every write fails ("not supported") and reads give nothing. Values are
// keyed by the path itself: symbolic links are not followed. Thread-safe.
class GvfsMetadata {
public:
    // Sets the key to a file:// URI (the file managers draw a blank file for anything else).
    static Result<void> setCustomIcon(const QString& path, const QString& uri);
    // Removes the key; succeeds also when it was not set.
    static Result<void> unsetCustomIcon(const QString& path);
    // The key's value, or an empty string when it is absent or unreadable.
    static QString customIcon(const QString& path);
    // Why no path can carry the key in this process ("no session bus", "no gvfs metadata service"), or an empty
    // text when the metadata service is reached. GIO decides it once per process, and so does this.
    static QString unavailableReason();
    // Loads GIO's modules and connects to the session bus for the process's lifetime; reads the path's
    // metadata once. Changes nothing.
    static void prepare(const QString& path);
};

} // namespace pigmo
