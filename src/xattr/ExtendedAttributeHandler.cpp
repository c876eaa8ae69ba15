#include "xattr/ExtendedAttributeHandler.h"

#include "base/LocalPath.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <sys/xattr.h>

namespace pigmo::xattr {
namespace {

constexpr char userNamespace[] = "user.";
constexpr qsizetype userNamespaceLength = sizeof(userNamespace) - 1;

QByteArray systemName(const QString& name)
{
    return QByteArray(userNamespace) + name.toUtf8();
}

int setFlags(XAttrOptions options)
{
    int flags = 0;
    if (options.contains(XAttrOptions::create))
        flags |= XATTR_CREATE;
    if (options.contains(XAttrOptions::replace))
        flags |= XATTR_REPLACE;
    return flags;
}

bool noFollow(XAttrOptions options)
{
    return options.contains(XAttrOptions::noFollow);
}

// The user-namespace names of a NUL-separated system list, namespace stripped, empty pieces dropped.
QStringList userNames(const QByteArray& list)
{
    QStringList names;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    for (const QByteArray& piece : list.split('\0')) {
        if (!piece.startsWith(userNamespace) || piece.size() == userNamespaceLength)
            continue;
        QString name = utf8.decode(piece.mid(userNamespaceLength));
        if (utf8.hasError())
            throw XAttrError::undecodableNames();
        names.append(std::move(name));
    }
    return names;
}

} // namespace

QStringList ExtendedAttributeHandler::listExtendedAttributes(XAttrOptions options) const
{
    const ssize_t size = list(nullptr, 0, noFollow(options));
    if (size < 0)
        throw XAttrError::posix(errno);
    if (size == 0)
        return {};
    QByteArray buffer(size, '\0');
    const ssize_t read = list(buffer.data(), static_cast<size_t>(buffer.size()), noFollow(options));
    if (read < 0)
        throw XAttrError::posix(errno);
    buffer.truncate(read);
    return userNames(buffer);
}

QByteArray ExtendedAttributeHandler::extendedAttribute(const QString& name, XAttrOptions options) const
{
    const QByteArray key = systemName(name);
    const ssize_t size = get(key.constData(), nullptr, 0, noFollow(options));
    if (size < 0)
        throw XAttrError::posix(errno, name);
    if (size == 0)
        return {};
    QByteArray value(size, '\0');
    const ssize_t read = get(key.constData(), value.data(), static_cast<size_t>(value.size()), noFollow(options));
    if (read < 0)
        throw XAttrError::posix(errno, name); // an attribute that grew since the probe fails with ERANGE
    value.truncate(read);                     // one that shrank keeps only what the second call returned
    return value;
}

std::optional<QByteArray> ExtendedAttributeHandler::extendedAttributeIfPresent(const QString& name,
                                                                               XAttrOptions options) const
{
    const QByteArray key = systemName(name);
    char buffer[4096];
    const ssize_t size = get(key.constData(), buffer, sizeof buffer, noFollow(options));
    if (size >= 0)
        return QByteArray(buffer, size);
    if (errno == absentAttributeCode)
        return std::nullopt;
    if (errno != ERANGE)
        throw XAttrError::posix(errno, name);
    try { // larger than the buffer: the general read sizes it
        return extendedAttribute(name, options);
    } catch (const XAttrError& error) {
        if (error.isAbsentAttribute()) // removed in between
            return std::nullopt;
        throw;
    }
}

void ExtendedAttributeHandler::setExtendedAttribute(const QByteArray& value, const QString& name,
                                                    XAttrOptions options) const
{
    const QByteArray key = systemName(name);
    if (set(key.constData(), value.constData(), static_cast<size_t>(value.size()), setFlags(options),
            noFollow(options)) != 0)
        throw XAttrError::posix(errno, name);
}

void ExtendedAttributeHandler::removeExtendedAttribute(const QString& name, XAttrOptions options) const
{
    if (remove(systemName(name).constData(), noFollow(options)) != 0)
        throw XAttrError::posix(errno, name);
}

FilePathAttributes::FilePathAttributes(const QString& path)
    : path_(encodeLocalPath(path))
{
}

ssize_t FilePathAttributes::get(const char* name, void* buffer, size_t size, bool noFollow) const
{
    return noFollow ? ::lgetxattr(path_.constData(), name, buffer, size)
                    : ::getxattr(path_.constData(), name, buffer, size);
}

int FilePathAttributes::set(const char* name, const void* value, size_t size, int flags, bool noFollow) const
{
    return noFollow ? ::lsetxattr(path_.constData(), name, value, size, flags)
                    : ::setxattr(path_.constData(), name, value, size, flags);
}

int FilePathAttributes::remove(const char* name, bool noFollow) const
{
    return noFollow ? ::lremovexattr(path_.constData(), name) : ::removexattr(path_.constData(), name);
}

ssize_t FilePathAttributes::list(char* buffer, size_t size, bool noFollow) const
{
    return noFollow ? ::llistxattr(path_.constData(), buffer, size) : ::listxattr(path_.constData(), buffer, size);
}

FileDescriptorAttributes::FileDescriptorAttributes(int descriptor)
    : descriptor_(descriptor)
{
}

ssize_t FileDescriptorAttributes::get(const char* name, void* buffer, size_t size, bool) const
{
    return ::fgetxattr(descriptor_, name, buffer, size);
}

int FileDescriptorAttributes::set(const char* name, const void* value, size_t size, int flags, bool) const
{
    return ::fsetxattr(descriptor_, name, value, size, flags);
}

int FileDescriptorAttributes::remove(const char* name, bool) const
{
    return ::fremovexattr(descriptor_, name);
}

ssize_t FileDescriptorAttributes::list(char* buffer, size_t size, bool) const
{
    return ::flistxattr(descriptor_, buffer, size);
}

} // namespace pigmo::xattr
