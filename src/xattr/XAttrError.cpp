#include "xattr/XAttrError.h"

#include <cstring>
#include <utility>

namespace pigmo::xattr {

XAttrError::XAttrError(Domain domain, int code, std::optional<QString> attributeName, QString description)
    : domain_(domain)
    , code_(code)
    , attributeName_(std::move(attributeName))
    , description_(std::move(description))
    , what_(description_.toStdString())
{
}

XAttrError XAttrError::posix(int code, std::optional<QString> attributeName)
{
    // glibc's strerror returns constant texts for known numbers and a thread-local buffer otherwise.
    return XAttrError(Domain::posix, code, std::move(attributeName), QString::fromLocal8Bit(std::strerror(code)));
}

XAttrError XAttrError::undecodableNames()
{
    return XAttrError(Domain::decoding, EILSEQ, std::nullopt,
                      QStringLiteral("Could not decode extended attribute names."));
}

} // namespace pigmo::xattr
