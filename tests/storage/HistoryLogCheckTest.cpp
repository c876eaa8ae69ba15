#include "storage/HistoryLogCheck.h"

#include "model/StyleJson.h"
#include "storage/HistoryLogEntry.h"

#include <gtest/gtest.h>

#include <QUrl>

using namespace pigmo;

namespace {

// One entry's text around a style's members (color, intensity and iconStyle unless `style` replaces them).
QByteArray entryWith(const QByteArray& style, const QByteArray& rest = R"("timestamp":"2025-03-01T09:30:00Z")")
{
    return R"({"folderPath":"\/a","data":{)" + style + "}," + rest + "}";
}

const QByteArray plainStyle = R"("color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,)"
                              R"("iconStyle":{"type":"vibrant"})";

QByteArray logOf(const QByteArray& entry)
{
    return "[" + entry + "]";
}

// The verdict on a text held with the parser's padding behind it, as the history store reads files.
bool surelyReadablePadded(const QByteArray& text)
{
    QByteArray padded = json::withParsePadding(text.size());
    padded.append(text);
    return json::surelyReadableLog(padded);
}

} // namespace

// The logs the program writes are judged by the quick pass alone, whichever members their styles use.
TEST(HistoryLogCheckTest, PassesEveryLogTheProgramWrites)
{
    ColorizationData full{HSL{200, 50.5, 40}, 0.75,
                          Icon{QUrl(QStringLiteral("file:///usr/share/pigmo2/lucide/folder-heart.svg")),
                               QStringLiteral("star.fill"), QStringLiteral("🎵"), QStringLiteral("folder-heart"),
                               QByteArray("\x89PNG")},
                          170, IconStyle::color(HSL{10, 20, 30})};
    QList<HistoryLogEntry> entries;
    entries.append({QStringLiteral("/home/ana/Été \"quoted\""), full, historyTimestampNow()});
    entries.append({QStringLiteral("/home/ana/Plain"), ColorizationData{}, historyTimestampNow()});
    for (const QList<HistoryLogEntry>& log : {QList<HistoryLogEntry>{}, entries}) {
        const auto text = json::encodeLog(log);
        ASSERT_TRUE(text);
        EXPECT_TRUE(json::surelyReadableLog(*text)) << text->constData();
        EXPECT_TRUE(surelyReadablePadded(*text)) << text->constData();
    }
    // Null optionals, unknown members of every kind, any order, repeated members whose last one counts.
    const QByteArray unusual = entryWith(
        R"("iconStyle":{"type":"inverted"},"icon":null,"iconSize":null,"extra":[1,-2.5e3,"x",true,false,null,{}],)"
        R"("intensity":0,"color":{"lightness":3,"hue":1,"saturation":2,"hue":null,"hue":4})",
        R"("timestamp":"2025-03-01T11:30:00+02:00","note":{"nested":[[]]})");
    EXPECT_TRUE(json::surelyReadableLog(logOf(unusual)));
    EXPECT_TRUE(json::checkLog(logOf(unusual)));
}

// Whatever the quick pass passes, the decode reads: each text here fails the decode, and the quick pass.
TEST(HistoryLogCheckTest, NeverPassesALogTheDecodeRefuses)
{
    const QByteArray good = entryWith(plainStyle);
    const QList<QByteArray> unreadable{
        "",
        "{}",
        "[",
        "[" + good,
        "[" + good + ",]",
        "[" + good + "] x",
        "[" + good + "][]",
        "[" + good + "," + good.chopped(1) + "]",
        logOf(entryWith(plainStyle, R"("timestamp":null)")),
        logOf(entryWith(plainStyle, R"("timestamp":"2025-03-01T09:30:00.5Z")")),
        logOf(entryWith(plainStyle, R"("timestamp":"2025-03-01T09:30:00Z","data":null)")),
        logOf(entryWith(plainStyle, R"("timestamp":"2025-03-01T09:30:00Z","\u0064ata":null)")),
        logOf(entryWith(R"("color":{"hue":1,"saturation":2},"intensity":1,"iconStyle":{"type":"vibrant"})")),
        logOf(entryWith(R"("color":{"hue":1e400,"saturation":2,"lightness":3},"intensity":1,)"
                        R"("iconStyle":{"type":"vibrant"})")),
        logOf(entryWith(R"("color":{"hue":"1","saturation":2,"lightness":3},"intensity":1,)"
                        R"("iconStyle":{"type":"vibrant"})")),
        logOf(entryWith(plainStyle + R"(,"intensity":null)")),
        logOf(entryWith(plainStyle + R"(,"iconSize":"big")")),
        logOf(
            entryWith(R"("color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,"iconStyle":{"type":"color"})")),
        logOf(entryWith(R"("color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,"iconStyle":{"type":"neon"})")),
        logOf(entryWith(plainStyle + R"(,"icon":{"url":"file:\/\/\/a.svg"})")),
        logOf(entryWith(plainStyle + R"(,"icon":{"name":"a","url":"http:\/\/[::1"})")),
        logOf(entryWith(plainStyle + R"(,"icon":{"name":"a","imageData":"not base64!"})")),
        logOf(entryWith(plainStyle + R"(,"extra":[1,2,])")),
        logOf(entryWith(plainStyle + R"(,"extra":nul)")),
        logOf(entryWith(plainStyle + R"(,"extra":"bad \x escape")")),
        logOf(entryWith(plainStyle + R"(,"extra":)" + QByteArray(300, '[') + QByteArray(300, ']'))),
        logOf(entryWith(plainStyle, R"("timestamp":"2025-03-01T09:30:00Z" "more":1)")),
    };
    for (const QByteArray& text : unreadable) {
        ASSERT_FALSE(json::decodeLog(text)) << text.constData();
        EXPECT_FALSE(json::surelyReadableLog(text)) << text.constData();
        EXPECT_FALSE(surelyReadablePadded(text)) << text.constData();
        EXPECT_FALSE(json::checkLog(text)) << text.constData();
    }
}

// Where the quick pass cannot tell, the full check still reads the log.
TEST(HistoryLogCheckTest, LeavesUnusualButReadableLogsToTheFullCheck)
{
    const QList<QByteArray> readable{
        logOf(entryWith(plainStyle, R"("\u0074imestamp":"2025-03-01T09:30:00Z")")),
        logOf(entryWith(plainStyle + R"(,"extra":123456789012345678901234567890)")),
        logOf(entryWith(R"("color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,)"
                        R"("iconStyle":{"type":"vibrant","color":"unread"})")),
    };
    for (const QByteArray& text : readable) {
        EXPECT_FALSE(json::surelyReadableLog(text)) << text.constData();
        EXPECT_TRUE(json::decodeLog(text)) << text.constData();
        EXPECT_TRUE(json::checkLog(text)) << text.constData();
    }
}
