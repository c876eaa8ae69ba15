#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace pigmo {

// Local file names as bytes and as text, as QFile::encodeName and QFile::decodeName take them, except that
// every name survives the round trip: a name's bytes are read as UTF-8, and each byte that is no part of a
// valid UTF-8 sequence becomes the lone surrogate U+DC80...U+DCFF of its value, which is written back as that
// byte. Valid UTF-8 gives the same text as QString::fromUtf8 (except that a byte order mark at the start is
// kept), and text without such surrogates gives the same bytes as QString::toUtf8. Every path that reaches the file
// system goes through these two.
QByteArray encodeLocalPath(QStringView path);
QString decodeLocalPath(QByteArrayView bytes);

} // namespace pigmo
