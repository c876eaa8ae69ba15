#include "storage/FolderStylesFile.h"

#include "model/StyleJson.h"

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

ColorizationData styleWithHue(double hue)
{
    return ColorizationData{HSL{hue, 100, 50}, 0.6, std::nullopt, 170, IconStyle::vibrant()};
}

QByteArray joined(const StylesText& text)
{
    QByteArray bytes;
    for (const QByteArrayView piece : text.views())
        bytes += piece;
    return bytes;
}

// The file's text after `styles` are set in what `decoded` read, as a save writes it.
QByteArray savedWith(DecodedStyles decoded, const QMap<QString, ColorizationData>& styles)
{
    QMap<QString, std::optional<ColorizationData>> changes;
    for (auto it = styles.cbegin(); it != styles.cend(); ++it)
        changes.insert(it.key(), it.value());
    applyStyleChanges(changes, decoded.styles, decoded.members);
    const auto text = encodeStyles(decoded.styles, decoded.members);
    EXPECT_TRUE(text);
    return text ? joined(*text) : QByteArray();
}

} // namespace

TEST(FolderStylesFileTest, AFolderNamedTwiceKeepsItsLastStyle)
{
    const QByteArray style = R"({"color":{"hue":1,"saturation":2,"lightness":3},"intensity":1,)"
                             R"("iconStyle":{"type":"inverted"}})";
    const auto decoded = decodeAllStyles(R"({"\/a":{"broken":true},"\/b":)" + style + R"(,"\/a":)" + style + "}");
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    ASSERT_EQ(decoded->styles.size(), 2);
    EXPECT_EQ(decoded->styles.value(QStringLiteral("/a")).iconStyle, IconStyle::inverted());
}

TEST(FolderStylesFileTest, SavingCopiesTheMembersItReadAndEncodesOnlyNewStyles)
{
    // Styles as another writer spaced them, one with a member this version does not know, one named twice.
    const QByteArray spaced = R"({ "color" : {"hue":1,"saturation":2,"lightness":3}, "intensity" : 1, )"
                              R"("iconStyle":{"type":"inverted"}, "later" : [1, 2] })";
    const QByteArray replaced = R"({"color":{"hue":4,"saturation":5,"lightness":6},"intensity":1,)"
                                R"("iconStyle":{"type":"vibrant"}})";
    const auto decoded = decodeAllStyles(R"({"\/b" : )" + spaced + R"(, "\/c":)" + replaced + R"(, "\/a": )" +
                                         replaced + R"(, "\/c":)" + spaced + "}");
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->styles.size(), 3);

    const QByteArray expected = "{" + json::quoted("/a") + ':' + *json::encode(styleWithHue(40)) + ',' +
                                json::quoted("/b") + ':' + spaced + ',' + json::quoted("/c") + ':' + spaced + ',' +
                                json::quoted("/d") + ':' + *json::encode(styleWithHue(50)) + '}';
    EXPECT_EQ(savedWith(*decoded, {{"/a", styleWithHue(40)}, {"/d", styleWithHue(50)}}), expected);
}

TEST(FolderStylesFileTest, SavingWritesEveryFolderNameAsThisProgramQuotesIt)
{
    const QByteArray style = *json::encode(styleWithHue(7));
    const QByteArray file = R"({"/a":)" + style + R"(,"\/b":)" + style + "}";
    for (const auto decode : {&decodeAllStyles, &decodeStylesOnDemand}) {
        const auto decoded = decode(file);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(savedWith(*decoded, {{"/c", styleWithHue(8)}}),
                  R"({"\/a":)" + style + R"(,"\/b":)" + style + R"(,"\/c":)" + *json::encode(styleWithHue(8)) + "}");
    }
}
