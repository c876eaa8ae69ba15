#include "storage/ExtendedAttributesManager.h"

#include "base/Log.h"
#include "model/StyleJson.h"
#include "xattr/ExtendedAttributeHandler.h"

#include <cerrno>
#include <functional>

namespace pigmo {
namespace {

// The folder's decoded file-system path as log lines show it, without a trailing slash.
QString displayPath(const QString& folderPath)
{
    QString path = folderPath;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString quotedName()
{
    return QLatin1Char('\'') + ExtendedAttributesManager::attributeName + QLatin1Char('\'');
}

// Whether a refused write came from the value's size: ext4 answers ENOSPC when a value does not fit the
// attribute space, E2BIG above 64 KiB. Only a style with a picture of its own grows that large.
bool tooLarge(const ColorizationData& data, const xattr::XAttrError& failure)
{
    const bool sizeRefused =
        failure.domain() == xattr::XAttrError::Domain::posix && (failure.code() == ENOSPC || failure.code() == E2BIG);
    return sizeRefused && data.icon && data.icon->imageData;
}

// Why a style was not written; `tooLarge` when the refusal was one the caller keeps the style in the history for.
struct Refusal {
    QString reason;
    bool tooLarge = false;
};

// Writes the style's encoding into the folder's attribute and says what happened in one line.
std::optional<Refusal> write(const ColorizationData& data, const QString& folderPath,
                             const std::function<bool(const xattr::XAttrError&)>& keptInHistory = {})
{
    const QString path = displayPath(folderPath);
    QString error;
    if (auto bytes = json::encode(data)) {
        try {
            xattr::FilePathAttributes(folderPath)
                .setExtendedAttribute(*bytes, ExtendedAttributesManager::attributeName);
            log::print(
                QStringLiteral("Successfully wrote settings to extended attribute %1 for %2").arg(quotedName(), path));
            return std::nullopt;
        } catch (const xattr::XAttrError& failure) {
            if (keptInHistory && keptInHistory(failure)) {
                log::warning(QStringLiteral("The style of %1 is too large for its extended attribute %2 (%3); it is "
                                            "kept in the history only.")
                                 .arg(path, quotedName(), failure.description()));
                return Refusal{failure.description(), true};
            }
            error = failure.description();
        }
    } else {
        error = bytes.error();
    }
    log::warning(QStringLiteral("Error writing extended attribute %1 for %2: %3").arg(quotedName(), path, error));
    return Refusal{error};
}

} // namespace

std::optional<ColorizationData> ExtendedAttributesManager::readSettings(const QString& folderPath) const
{
    const QString path = displayPath(folderPath);
    QString error;
    try {
        auto data = json::decode(xattr::FilePathAttributes(folderPath).extendedAttribute(attributeName));
        if (data) {
            log::print(QStringLiteral("Successfully read settings from extended attributes for ") + path);
            return std::move(data).value();
        }
        error = data.error();
    } catch (const xattr::XAttrError& failure) {
        if (failure.isAbsentAttribute()) {
            log::print(QStringLiteral("No extended attribute %1 found for %2. This is normal if not previously set.")
                           .arg(quotedName(), path));
            return std::nullopt;
        }
        error = failure.description();
    }
    log::warning(QStringLiteral("Error reading extended attribute %1 for %2: %3").arg(quotedName(), path, error));
    return std::nullopt;
}

std::optional<ColorizationData> ExtendedAttributesManager::storedSettings(const QString& folderPath) const
{
    QString error;
    try {
        const std::optional<QByteArray> bytes =
            xattr::FilePathAttributes(folderPath).extendedAttributeIfPresent(attributeName);
        if (!bytes)
            return std::nullopt;
        auto data = json::decode(*bytes);
        if (data)
            return std::move(data).value();
        error = data.error();
    } catch (const xattr::XAttrError& failure) {
        error = failure.description();
    }
    log::warning(QStringLiteral("Error reading extended attribute %1 for %2: %3")
                     .arg(quotedName(), displayPath(folderPath), error));
    return std::nullopt;
}

Result<void> ExtendedAttributesManager::writeSettings(const ColorizationData& data, const QString& folderPath) const
{
    if (const std::optional<Refusal> refused = write(data, folderPath))
        return Result<void>::failure(refused->reason);
    return Result<void>::success();
}

Result<ExtendedAttributesManager::Kept> ExtendedAttributesManager::storeSettings(const ColorizationData& data,
                                                                                 const QString& folderPath) const
{
    const std::optional<Refusal> refused =
        write(data, folderPath, [&](const xattr::XAttrError& failure) { return tooLarge(data, failure); });
    if (!refused)
        return Kept::onFolder;
    if (!refused->tooLarge)
        return Result<Kept>::failure(refused->reason);
    removeSettings(folderPath);
    return Kept::inHistoryOnly;
}

void ExtendedAttributesManager::removeSettings(const QString& folderPath) const
{
    const QString path = displayPath(folderPath);
    try {
        xattr::FilePathAttributes(folderPath).removeExtendedAttribute(attributeName);
        log::print(QStringLiteral("Successfully removed extended attribute %1 for %2").arg(quotedName(), path));
    } catch (const xattr::XAttrError& failure) {
        if (failure.isAbsentAttribute())
            log::print(QStringLiteral("No extended attribute %1 to remove for %2.").arg(quotedName(), path));
        else
            log::warning(QStringLiteral("Error removing extended attribute %1 for %2: %3")
                             .arg(quotedName(), path, failure.description()));
    }
}

} // namespace pigmo
