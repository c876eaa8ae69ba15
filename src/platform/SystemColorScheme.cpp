#include "platform/SystemColorScheme.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace pigmo {
namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
constexpr int timeoutMs = 1000;

// Portal values arrive as variants, Read's wrapped once more.
QVariant unwrap(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value;
}

std::optional<ColorScheme> schemeOf(const QVariant& wrapped)
{
    bool ok = false;
    const uint value = unwrap(wrapped).toUInt(&ok);
    if (!ok || value > 2)
        return std::nullopt;
    return value == 1 ? ColorScheme::dark : value == 2 ? ColorScheme::light : ColorScheme::noPreference;
}

std::optional<ColorScheme> read(const QDBusConnection& bus, const QString& method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
    call << appearanceNamespace << colorSchemeKey;
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return schemeOf(reply.arguments().constFirst());
}

} // namespace

SystemColorScheme::SystemColorScheme(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , bus_(bus)
{
    if (!bus_.isConnected())
        return;
    bus_.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                 SLOT(onSettingChanged(QDBusMessage)));
    refresh();
}

std::optional<ColorScheme> SystemColorScheme::refresh()
{
    if (!bus_.isConnected())
        return current_ = std::nullopt;
    std::optional<ColorScheme> scheme = read(bus_, QStringLiteral("ReadOne"));
    if (!scheme)
        scheme = read(bus_, QStringLiteral("Read")); // portals before version 2
    return current_ = scheme;
}

void SystemColorScheme::onSettingChanged(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() != 3 || arguments.at(0).toString() != appearanceNamespace ||
        arguments.at(1).toString() != colorSchemeKey)
        return;
    const std::optional<ColorScheme> scheme = schemeOf(arguments.at(2));
    if (!scheme || scheme == current_)
        return;
    current_ = scheme;
    Q_EMIT changed(*scheme);
}

} // namespace pigmo
