#include "base/LocalPath.h"

#include <QStringDecoder>

namespace pigmo {
namespace {

constexpr char16_t firstEscape = 0xDC80;
constexpr char16_t lastEscape = 0xDCFF;

bool isContinuation(char byte, uchar low = 0x80, uchar high = 0xBF)
{
    return uchar(byte) >= low && uchar(byte) <= high;
}

// The length of the valid UTF-8 sequence at `at`; 0 when the byte there starts none (overlong forms,
// surrogates and values above U+10FFFF are no valid sequences).
qsizetype sequenceLength(QByteArrayView bytes, qsizetype at)
{
    const uchar lead = uchar(bytes[at]);
    const auto followedBy = [&](qsizetype count, uchar low, uchar high) {
        if (bytes.size() - at <= count || !isContinuation(bytes[at + 1], low, high))
            return false;
        for (qsizetype i = 2; i <= count; ++i) {
            if (!isContinuation(bytes[at + i]))
                return false;
        }
        return true;
    };
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return followedBy(1, 0x80, 0xBF) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const uchar low = lead == 0xE0 ? 0xA0 : 0x80;
        const uchar high = lead == 0xED ? 0x9F : 0xBF;
        return followedBy(2, low, high) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const uchar low = lead == 0xF0 ? 0x90 : 0x80;
        const uchar high = lead == 0xF4 ? 0x8F : 0xBF;
        return followedBy(3, low, high) ? 4 : 0;
    }
    return 0;
}

// Valid UTF-8 as text; unlike QString::fromUtf8, a byte order mark at the start is a character of the name.
QString textOf(QByteArrayView utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(utf8);
}

bool isEscape(QStringView text, qsizetype at)
{
    const char16_t unit = text[at].unicode();
    return unit >= firstEscape && unit <= lastEscape && (at == 0 || !text[at - 1].isHighSurrogate());
}

} // namespace

QString decodeLocalPath(QByteArrayView bytes)
{
    QString text;
    qsizetype run = 0; // the start of the valid bytes not decoded yet
    for (qsizetype at = 0; at < bytes.size();) {
        if (const qsizetype length = sequenceLength(bytes, at); length > 0) {
            at += length;
            continue;
        }
        text += textOf(bytes.sliced(run, at - run));
        text += QChar(char16_t(0xDC00 + uchar(bytes[at])));
        run = ++at;
    }
    if (run == 0)
        return textOf(bytes);
    return text + textOf(bytes.sliced(run));
}

QByteArray encodeLocalPath(QStringView path)
{
    QByteArray bytes;
    qsizetype run = 0; // the start of the text not encoded yet
    for (qsizetype at = 0; at < path.size(); ++at) {
        if (!isEscape(path, at))
            continue;
        bytes += path.sliced(run, at - run).toUtf8();
        bytes += char(path[at].unicode() - 0xDC00);
        run = at + 1;
    }
    if (run == 0)
        return path.toUtf8();
    return bytes + path.sliced(run).toUtf8();
}

} // namespace pigmo
