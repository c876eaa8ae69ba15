#pragma once

#include <QString>
#include <QVariantMap>

#include <cerrno>
#include <exception>
#include <optional>
#include <string>

namespace pigmo::xattr {

// User-info key under which an error names the attribute it concerns.
inline const QString extendedAttributeNameKey = QStringLiteral("tech.brantle.userInfoKey.extendedAttributeName");
// User-info keys of the description and, for undecodable names, of the text encoding that failed.
inline const QString localizedDescriptionKey = QStringLiteral("localizedDescription");
inline const QString stringEncodingKey = QStringLiteral("stringEncoding");

// The system's error number for an attribute the file does not have.
inline constexpr int absentAttributeCode = ENODATA;

// The one error type of the extended-attribute module.
class XAttrError : public std::exception {
public:
    enum class Domain {
        posix,    // a system call failed; the code is its errno
        decoding, // the list of names is no valid UTF-8
    };
    // The code of a decoding error, and the number of the encoding that failed (UTF-8).
    static constexpr int undecodableNamesCode = 261;
    static constexpr int utf8Encoding = 4;

    // A failed system call: code is errno, description the system's text for it. Name-less for listing.
    static XAttrError posix(int code, std::optional<QString> attributeName = std::nullopt);
    static XAttrError undecodableNames();

    Domain domain() const { return domain_; }
    int code() const { return code_; }
    const std::optional<QString>& attributeName() const { return attributeName_; }
    const QString& description() const { return description_; }
    // The name (only when the error concerns one attribute), the description and, for decoding errors,
    // the encoding, under the keys above.
    QVariantMap userInfo() const;

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
