#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"

#include <QString>

#include <optional>

namespace pigmo {

// Reads, writes and removes a folder's style in its extended attribute "io.velmar.PaintDirs.settings"
// (the compact JSON of the style, no terminator). Never throws: every outcome is one line on standard
// output, and a failed read returns nothing. Stateless and safe on any thread; two writers on one folder
// race in the file system and the last write wins. A style that cannot be encoded (a non-finite number)
// or does not fit the file system's attribute space (about 4 KB on ext4) is not written and the folder's
// attribute stays as it was.
class ExtendedAttributesManager {
public:
    static inline const QString attributeName = QStringLiteral("io.velmar.PaintDirs.settings");

    virtual ~ExtendedAttributesManager() = default;

    // `folderPath`: the folder's absolute path; a symbolic link there is followed.
    virtual std::optional<ColorizationData> readSettings(const QString& folderPath) const;
    // The style stored on a folder, read for a scan over many folders: one system call, and no line for an
    // absent attribute or a valid style (the caller says what it needs). An attribute that cannot be read or
    // decoded gives nothing and its error line, as `readSettings` prints it.
    std::optional<ColorizationData> storedSettings(const QString& folderPath) const;
    // Fails with the reason the line gives (the system's error, or why the style cannot be encoded).
    virtual Result<void> writeSettings(const ColorizationData& data, const QString& folderPath) const;

    // Where a folder's new style is kept: on the folder, or only in the history, for a style with a custom
    // picture too large for the file system's attribute space. The folder's attribute is then removed, so
    // that it never names a style the folder no longer shows. Any other failure fails as `writeSettings`
    // does, and the attribute stays as it was.
    enum class Kept { onFolder, inHistoryOnly };
    Result<Kept> storeSettings(const ColorizationData& data, const QString& folderPath) const;
    virtual void removeSettings(const QString& folderPath) const;
};

} // namespace pigmo
