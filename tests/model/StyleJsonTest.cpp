#include "model/StyleJson.h"

#include <gtest/gtest.h>

#include <QFile>

#include <simdjson.h>

#include <atomic>
#include <cmath>
#include <optional>
#include <thread>
#include <vector>

using namespace pigmo;

namespace {

ColorizationData decoded(const char* text)
{
    auto result = json::decode(QByteArray(text));
    EXPECT_TRUE(result) << result.error().toStdString();
    return result ? *result : ColorizationData{};
}

bool fails(const char* text)
{
    return !json::decode(QByteArray(text)).hasValue();
}

} // namespace

TEST(StyleJsonTest, PlainStyleHasExactlyThreeMembersInOrder)
{
    ColorizationData data{HSL{195, 100, 50}, 0.6, std::nullopt, std::nullopt, IconStyle::vibrant()};
    auto text = json::encode(data);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, QByteArray(R"({"color":{"hue":195.0,"saturation":100.0,"lightness":50.0},"intensity":0.6,)"
                                R"("iconStyle":{"type":"vibrant"}})"));
    EXPECT_EQ(decoded(text->constData()), data);
}

TEST(StyleJsonTest, FullStyleRoundTripsWithEscapedSlashesAndBase64)
{
    Icon icon{QUrl::fromLocalFile(QStringLiteral("/usr/share/pigmo2/lucide/file text.svg")),
              QStringLiteral("folder.open"), QStringLiteral("🇫🇷"), QStringLiteral("ä/ö"),
              QByteArray("\x89PNG\r\n\x1a\n\xff", 9)};
    ColorizationData data{HSL{1.5, 2, 3}, 1, icon, 512, IconStyle::color(HSL{4, 5, 6})};
    auto text = json::encode(data);
    ASSERT_TRUE(text);
    EXPECT_FALSE(text->contains("\n"));
    EXPECT_TRUE(text->contains(R"("url":"file:\/\/\/usr\/share\/pigmo2\/lucide\/file%20text.svg")"));
    EXPECT_TRUE(text->contains(R"("name":"ä\/ö")"));
    EXPECT_TRUE(text->contains(R"("imageData":"iVBORw0KGgr\/")"));
    EXPECT_TRUE(text->contains(R"("iconStyle":{"type":"color","color":{"hue":4.0)"));
    const qsizetype url = text->indexOf("\"url\""), name = text->indexOf("\"name\""),
                    image = text->indexOf("imageData");
    EXPECT_TRUE(url < name && name < image);
    EXPECT_EQ(decoded(text->constData()), data);
}

TEST(StyleJsonTest, IconWithOnlyNameAndOptionalRules)
{
    const ColorizationData named{HSL{}, 1, Icon{{}, {}, {}, QStringLiteral("star"), {}}, {}, IconStyle::original()};
    const auto text = json::encode(named);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->contains(R"("icon":{"name":"star"})")) << text->constData();
    EXPECT_EQ(decoded(text->constData()), named);

    const auto nullSize = decoded(R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,)"
                                  R"("iconSize":null,"icon":null,"iconStyle":{"type":"original"}})");
    EXPECT_FALSE(nullSize.iconSize);
    EXPECT_FALSE(nullSize.icon);
    EXPECT_EQ(nullSize.iconStyle, IconStyle::original());
}

TEST(StyleJsonTest, UnknownMembersAndReorderedMembersAreAccepted)
{
    const auto data = decoded(R"({"future":[1,2],"iconStyle":{"type":"vibrant","color":{"hue":1},"x":1},)"
                              R"("intensity":0.25,"color":{"lightness":3,"hue":1,"saturation":2,"alpha":9}})");
    EXPECT_EQ(data.iconStyle, IconStyle::vibrant()); // a colour under "vibrant" is ignored
    EXPECT_EQ(data.color, (HSL{1, 2, 3}));
    EXPECT_EQ(data.intensity, 0.25);
    const auto unescaped = decoded(R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,)"
                                   R"("icon":{"name":"a","url":"file:///tmp/x.svg"},"iconStyle":{"type":"inverted"}})");
    EXPECT_EQ(unescaped.icon->url->toLocalFile(), "/tmp/x.svg");
}

TEST(StyleJsonTest, MalformedStylesFailWhole)
{
    const char* color = R"("color":{"hue":1,"saturation":2,"lightness":3})";
    const auto with = [color](const std::string& rest) { return "{" + std::string(color) + "," + rest + "}"; };

    EXPECT_TRUE(fails(with(R"("intensity":null,"iconStyle":{"type":"vibrant"})").c_str()));
    EXPECT_TRUE(fails(with(R"("intensity":1)").c_str()));                                  // no iconStyle
    EXPECT_TRUE(fails(with(R"("intensity":"1","iconStyle":{"type":"vibrant"})").c_str())); // wrong type
    EXPECT_TRUE(fails(with(R"("intensity":true,"iconStyle":{"type":"vibrant"})").c_str()));
    EXPECT_TRUE(fails(with(R"("intensity":1,"iconStyle":{"type":"Vibrant"})").c_str()));
    EXPECT_TRUE(fails(with(R"("intensity":1,"iconStyle":{"type":"color"})").c_str()));
    EXPECT_TRUE(fails(with(R"("intensity":1,"icon":{"emoji":"x"},"iconStyle":{"type":"vibrant"})").c_str()));
    EXPECT_TRUE(fails(with(R"("intensity":1,"icon":{"name":"x","emoji":7},"iconStyle":{"type":"vibrant"})").c_str()));
    EXPECT_TRUE(
        fails(with(R"("intensity":1,"icon":{"name":"x","imageData":"@@@@"},"iconStyle":{"type":"vibrant"})").c_str()));
    EXPECT_TRUE(
        fails(with(R"("intensity":1,"icon":{"name":"x","imageData":"QQ"},"iconStyle":{"type":"vibrant"})").c_str()));
    EXPECT_TRUE(fails(with(R"("intensity":1,"icon":{"name":"x","url":""},"iconStyle":{"type":"vibrant"})").c_str()));
    EXPECT_TRUE(fails(with(R"("intensity":1,"iconSize":[],"iconStyle":{"type":"vibrant"})").c_str()));
    EXPECT_TRUE(fails(R"({"intensity":1,"iconStyle":{"type":"vibrant"}})"));
    EXPECT_TRUE(fails("not json"));
    EXPECT_TRUE(fails("[]"));

    const auto missing = json::decode(QByteArray(with(R"("intensity":1)").c_str()));
    EXPECT_TRUE(missing.error().contains("iconStyle"));
}

TEST(StyleJsonTest, URLsReadAgainAndAgainStayEqualAndInvalidOnesStillFail)
{
    const auto style = [](const QString& url) {
        return QByteArray(
                   R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,"icon":{"name":"x","url":")") +
               url.toUtf8() + R"("},"iconStyle":{"type":"vibrant"}})";
    };
    // More distinct URLs than are kept at once, each read twice, and an invalid one after each.
    for (int round = 0; round < 2; ++round) {
        for (int n = 0; n < 1500; ++n) {
            const QString url = QStringLiteral("file:\\/\\/\\/icons\\/%1.svg").arg(n);
            const auto read = json::decode(style(url));
            ASSERT_TRUE(read) << n;
            EXPECT_EQ(read->icon->url, QUrl(QStringLiteral("file:///icons/%1.svg").arg(n)));
            EXPECT_FALSE(json::decode(style(QStringLiteral("http://["))).hasValue()) << n;
        }
    }
}

TEST(StyleJsonTest, NonFiniteNumbersRefuseToEncode)
{
    ColorizationData data{HSL{1, 2, 3}, std::nan(""), std::nullopt, std::nullopt, IconStyle::vibrant()};
    EXPECT_FALSE(json::encode(data));
    data.intensity = 1;
    data.iconSize = -INFINITY;
    auto result = json::encode(data);
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.error().isEmpty());
}

TEST(StyleJsonTest, IntegralNumbersDecode)
{
    const auto data =
        decoded(R"({"color":{"hue":360,"saturation":0,"lightness":100},"intensity":0,)"
                R"("iconSize":96,"iconStyle":{"type":"color","color":{"hue":-1,"saturation":2.5,"lightness":1e2}}})");
    EXPECT_EQ(data.iconSize, 96.0);
    EXPECT_EQ(data.iconStyle, IconStyle::color(HSL{-1, 2.5, 100}));
}

TEST(StyleJsonTest, ReadingRefusesWhatTheFormatForbidsAndAcceptsWhatItAllows)
{
    const auto style = [](const std::string& intensity) {
        return R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":)" + intensity +
               R"(,"iconStyle":{"type":"vibrant"}})";
    };
    for (const char* overflow : {"1e999", "-1E400"})
        EXPECT_TRUE(fails(style(overflow).c_str())) << overflow;
    EXPECT_EQ(decoded(style("99999999999999999999").c_str()).intensity, 1e20) << "an integer beyond 64 bits";
    EXPECT_EQ(decoded(style("18446744073709551615").c_str()).intensity, 18446744073709551615.0);
    EXPECT_EQ(decoded(style("-9223372036854775808").c_str()).intensity, -9223372036854775808.0);
    EXPECT_EQ(decoded(("\xEF\xBB\xBF" + style("1")).c_str()).intensity, 1) << "a byte order mark";

    const auto badName = [&](const std::string& name) {
        return R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,"icon":{"name":")" + name +
               R"("},"iconStyle":{"type":"vibrant"}})";
    };
    for (const char* name : {"\xff", "\xed\xa0\x80", "\\ud800", "\\udc00x", "a\x01"})
        EXPECT_TRUE(fails(badName(name).c_str())) << name;
    EXPECT_EQ(decoded(badName("\\u00e9\\ud83d\\ude00\\u0000").c_str()).icon->name,
              QStringLiteral("\u00e9\U0001F600") + QChar(0));

    const auto failure = json::decode("{\"color\":");
    EXPECT_TRUE(failure.error().startsWith("The data couldn't be read because it isn't in the correct format. ("));
}

TEST(StyleJsonTest, ATextIsParsedWhereItLiesOnlyWithRoomAfterItAndNeverBeyondItsEnd)
{
    // Bytes left behind the end, inside the room, are no part of the text.
    QByteArray padded = json::withParsePadding(20);
    padded = R"({"a":1}{"b":2})";
    padded.truncate(7);
    ASSERT_TRUE(json::hasParsePadding(padded));
    auto object = json::parse(padded)->get_object();
    ASSERT_FALSE(object.error());
    EXPECT_EQ(object.value().size(), 1u);
    EXPECT_FALSE(json::parse(padded.left(6))) << "a truncated text still fails";

    const char raw[] = R"({"a":1})";
    const QByteArray borrowed = QByteArray::fromRawData(raw, 7);
    EXPECT_FALSE(json::hasParsePadding(borrowed));
    EXPECT_FALSE(json::hasParsePadding(QByteArray()));
    EXPECT_TRUE(json::parse(borrowed)) << "copied first";
}

TEST(StyleJsonTest, RepeatedMembersCountByTheirLastOccurrence)
{
    const auto data = decoded(R"({"color":{"hue":1,"saturation":2,"lightness":3,"hue":7},"intensity":"x",)"
                              R"("intensity":0.5,"iconSize":4,"iconSize":null,"iconStyle":{"type":"original"}})");
    EXPECT_EQ(data.color.hue, 7);
    EXPECT_EQ(data.intensity, 0.5);
    EXPECT_FALSE(data.iconSize);
    EXPECT_TRUE(fails(R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,"intensity":null,)"
                      R"("iconStyle":{"type":"original"}})"));
}

TEST(StyleJsonTest, DecodesOnSeveralThreadsAtOnce)
{
    const ColorizationData style{HSL{195, 100, 50}, 0.6, Icon{{}, {}, {}, QStringLiteral("star"), {}}, 170,
                                 IconStyle::color(HSL{1, 2, 3})};
    const QByteArray text = *json::encode(style);
    std::vector<std::thread> threads;
    std::atomic<int> mismatches = 0;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int n = 0; n < 500; ++n) {
                const auto result = json::decode(text);
                if (!result || *result != style)
                    ++mismatches;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}

TEST(StyleJsonTest, NestingBeyondTheLimitIsRefusedOnEveryReadingPath)
{
    const auto nested = [](size_t levels, const char* open, const char* close) {
        QByteArray text;
        for (size_t i = 0; i < levels; ++i)
            text += open;
        for (size_t i = 0; i < levels; ++i)
            text += close;
        return text;
    };
    const QByteArray deepest = nested(json::maxNestingDepth, "[", "]");
    EXPECT_TRUE(json::parse(deepest)) << "the limit itself is read";
    EXPECT_FALSE(json::nestsTooDeep(deepest));
    for (const QByteArray& tooDeep : {nested(json::maxNestingDepth + 1, "[", "]"), nested(100000, "[", "]"),
                                      nested(100000, "{\"a\":", "}"), nested(100000, "[", "")}) {
        EXPECT_TRUE(json::nestsTooDeep(tooDeep));
        const auto parsed = json::parse(tooDeep);
        ASSERT_FALSE(parsed);
        EXPECT_TRUE(parsed.error().startsWith("The data couldn't be read because it isn't in the correct format."));
    }
    // A byte order mark or an integer beyond 64 bits sends the text down the second reader, which must
    // refuse the depth too.
    const QByteArray huge = "[99999999999999999999," + nested(100000, "[", "]") + "]";
    EXPECT_FALSE(json::parse(huge));
    EXPECT_FALSE(json::parse("\xEF\xBB\xBF" + nested(100000, "[", "]")));
    EXPECT_FALSE(json::decode("\xEF\xBB\xBF" + nested(100000, "{\"color\":", "}")));
    EXPECT_FALSE(json::nestsTooDeep("[\"" + QByteArray(1000, '[') + "\\\"" + QByteArray(1000, '{') + "\"]"))
        << "brackets inside strings, escaped quotes included, do not count";
}

TEST(StyleJsonTest, ValidStylesDecodeAgainWithTheirUrlsKnown)
{
    for (const char* text :
         {R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,"iconStyle":{"type":"vibrant"}})",
          R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,"iconSize":null,"icon":{"name":"x",)"
          R"("url":"file:\/\/\/a.svg","imageData":"QQ=="},"iconStyle":{"type":"color","color":)"
          R"({"hue":1,"saturation":2,"lightness":3}}})"}) {
        EXPECT_FALSE(fails(text)) << text;
        EXPECT_FALSE(fails(text)) << "again, with the URL known: " << text;
    }
}

TEST(StyleJsonTest, AQuotedNameIsRecognisedOnlyInTheFormThisProgramWrites)
{
    for (const QString& name : {QStringLiteral("/home/ana/My \"Photos\""), QStringLiteral(""),
                                QStringLiteral("tab\there\x01\u00e9\U0001F600")}) {
        const QByteArray utf8 = name.toUtf8();
        const std::string_view view(utf8.constData(), size_t(utf8.size()));
        EXPECT_TRUE(json::isQuoted(json::quoted(name), view)) << utf8.constData();
        EXPECT_FALSE(json::isQuoted(json::quoted(name + u'x'), view));
        EXPECT_FALSE(json::isQuoted(json::quoted(name).chopped(1), view));
    }
    EXPECT_FALSE(json::isQuoted(R"("/a")", "/a")) << "slashes are escaped";
    EXPECT_FALSE(json::isQuoted(R"("\u0041")", "A")) << "only what needs it is escaped";
    EXPECT_FALSE(json::isQuoted("\"", ""));
}

TEST(StyleJsonTest, WritesAStoredStyleBackInTheFormThisProgramWrites)
{
    QFile file(QStringLiteral(PIGMO_TEST_DATA_DIR "/fuzz/style_json/full.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto written = json::encode(decoded(file.readAll().constData()));
    ASSERT_TRUE(written);
    EXPECT_EQ(
        written->toStdString(),
        R"json({"color":{"hue":12.5,"saturation":80.0,"lightness":40.0},"intensity":0.6,"icon":{"url":"file:\/\/\/opt\/pigmo2\/lucide\/folder.svg","systemName":"folder.open","emoji":"📁","name":"folder","imageData":"iVBORw0KGgo="},"iconSize":170.0,"iconStyle":{"type":"color","color":{"hue":1.0,"saturation":2.0,"lightness":3.0}}})json");

    const QString awkward = QStringLiteral("a\"b\\c/d\b\f\n\r\t\x01\x1f\u00e9\U0001F600 end");
    const ColorizationData unusual{HSL{-0.0, 1e-7, 1e21}, 0.1 + 0.2,
                                   Icon{{}, awkward, awkward, awkward, QByteArray("\0\1\2", 3)}, 1.0 / 3,
                                   IconStyle::color(HSL{359.99999, 12.5, 0})};
    EXPECT_EQ(
        json::encode(unusual)->toStdString(),
        R"json({"color":{"hue":-0.0,"saturation":1e-07,"lightness":1e+21},"intensity":0.30000000000000004,"icon":{"systemName":"a\"b\\c\/d\b\f\n\r\t\u0001\u001fé😀 end","emoji":"a\"b\\c\/d\b\f\n\r\t\u0001\u001fé😀 end","name":"a\"b\\c\/d\b\f\n\r\t\u0001\u001fé😀 end","imageData":"AAEC"},"iconSize":0.3333333333333333,"iconStyle":{"type":"color","color":{"hue":359.99999,"saturation":12.5,"lightness":0.0}}})json");
    EXPECT_EQ(decoded(json::encode(unusual)->constData()).icon, unusual.icon);
    EXPECT_EQ(json::quoted(awkward).toStdString(), R"json("a\"b\\c\/d\b\f\n\r\t\u0001\u001fé😀 end")json");
}
