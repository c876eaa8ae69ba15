#pragma once

#include <QString>

#include <cerrno>
#include <exception>
#include <optional>
#include <string>

namespace pigmo::xattr {

// The system's error number for an attribute the file does not have.
inline constexpr int absentAttributeCode = ENODATA;

// The one error type of the extended-attribute module.
class XAttrError : public std::exception {
public:
    enum class Domain {
        posix,    // a system call failed; the code is its errno
        decoding, // the list of names is no valid UTF-8; the code is EILSEQ
    };

    // A failed system call: code is errno, description the system's text for it. Name-less for listing.
    static XAttrError posix(int code, std::optional<QString> attributeName = std::nullopt);
    static XAttrError undecodableNames();

    Domain domain() const { return domain_; }
    int code() const { return code_; }
    const std::optional<QString>& attributeName() const { return attributeName_; }
    const QString& description() const { return description_; }

    // A POSIX error for an attribute the file does not have.
    bool isAbsentAttribute() const { return domain_ == Domain::posix && code_ == absentAttributeCode; }

    const char* what() const noexcept override { return what_.c_str(); }

private:
    XAttrError(Domain domain, int code, std::optional<QString> attributeName, QString description);

    Domain domain_;
    int code_;
    std::optional<QString> attributeName_;
    QString description_;
    std::string what_;
};

} // namespace pigmo::xattr
