#pragma once

#include "xattr/XAttrError.h"
#include "xattr/XAttrOptions.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <sys/types.h>

namespace pigmo::xattr {

// Typed access to the extended attributes of one file, folder or open file. Names are those callers
// know ("io.velmar.PaintDirs.settings"): the Linux `user.` namespace is added on the way in and stripped on
// the way out, and listing shows only that namespace. Every operation goes straight to the file system,
// keeps no state and throws XAttrError on failure; an absent attribute is a POSIX error with
// `absentAttributeCode`. Safe on any thread; concurrent writers race in the file system.
class ExtendedAttributeHandler {
public:
    virtual ~ExtendedAttributeHandler() = default;

    // Names of all attributes, in the system's order, never an empty one.
    QStringList listExtendedAttributes(XAttrOptions options = {}) const;
    QByteArray extendedAttribute(const QString& name, XAttrOptions options = {}) const;
    // As `extendedAttribute`, but an absent attribute is nothing rather than an error: the read for callers
    // to whom absence is the common case (one system call for a value of up to 4 KiB). Other errors throw.
    std::optional<QByteArray> extendedAttributeIfPresent(const QString& name, XAttrOptions options = {}) const;
    // With the empty option set this creates the attribute or replaces its whole value.
    void setExtendedAttribute(const QByteArray& value, const QString& name, XAttrOptions options = {}) const;
    void removeExtendedAttribute(const QString& name, XAttrOptions options = {}) const;

protected:
    // The Linux calls on this target with the namespaced name; they return -1 and set errno on failure.
    // `noFollow` asks for the call that acts on a symbolic link itself.
    virtual ssize_t get(const char* name, void* buffer, size_t size, bool noFollow) const = 0;
    virtual int set(const char* name, const void* value, size_t size, int flags, bool noFollow) const = 0;
    virtual int remove(const char* name, bool noFollow) const = 0;
    virtual ssize_t list(char* buffer, size_t size, bool noFollow) const = 0;
};

// A file named by its path.
class FilePathAttributes : public ExtendedAttributeHandler {
public:
    explicit FilePathAttributes(const QString& path);

protected:
    ssize_t get(const char* name, void* buffer, size_t size, bool noFollow) const override;
    int set(const char* name, const void* value, size_t size, int flags, bool noFollow) const override;
    int remove(const char* name, bool noFollow) const override;
    ssize_t list(char* buffer, size_t size, bool noFollow) const override;

private:
    QByteArray path_; // the file-system representation, NUL-terminated by QByteArray
};

// An open file. The descriptor is borrowed, never closed; `noFollow` has no meaning for it and is ignored.
class FileDescriptorAttributes final : public ExtendedAttributeHandler {
public:
    explicit FileDescriptorAttributes(int descriptor);

protected:
    ssize_t get(const char* name, void* buffer, size_t size, bool noFollow) const override;
    int set(const char* name, const void* value, size_t size, int flags, bool noFollow) const override;
    int remove(const char* name, bool noFollow) const override;
    ssize_t list(char* buffer, size_t size, bool noFollow) const override;

private:
    int descriptor_;
};

} // namespace pigmo::xattr
