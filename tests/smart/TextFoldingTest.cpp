#include "smart/TextFolding.h"

#include "SmartTestSupport.h"

#include <gtest/gtest.h>

using namespace pigmo::text;

TEST(TextFoldingTest, NormalizeKeywordLowersFoldsAndTrimsSpacesAndTabsOnly)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {QString::fromUtf8("  Café  "), "cafe"},
        {QString::fromUtf8("\tÜBER\t"), "uber"},
        {QString::fromUtf8("\u00a0Noël\u2003"), "noel"}, // no-break and em space are space separators
        {"   ", ""},
        {"\nline\n", "\nline\n"}, // line breaks are not trimmed
        {QString::fromUtf8("Čeština"), "cestina"},
        {QString::fromUtf8("Ёлка"), QString::fromUtf8("елка")},
        {QString::fromUtf8("ガッコウ"), QString::fromUtf8("カッコウ")}, // voiced marks are diacritics
        {QString::fromUtf8("한국어"), QString::fromUtf8("한국어")},     // Hangul stays composed
        {QString::fromUtf8("Straße"), QString::fromUtf8("straße")},
        {QString::fromUtf8("Deutschland"), "deutschland"},
        {" \tMiXeD Case 42\t ", "mixed case 42"}, // plain ASCII takes a shorter road to the same form
        {"already lower", "already lower"},
        {"\x1f[Z]@\x1f", "\x1f[z]@\x1f"}, // ASCII controls other than tab stay
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(normalizeKeyword(input), expected) << input.toStdString();
}

TEST(TextFoldingTest, GraphemesAreUserPerceivedCharacters)
{
    EXPECT_FALSE(hasAtLeastGraphemes("", 1));
    EXPECT_FALSE(hasAtLeastGraphemes("a", 2));
    EXPECT_TRUE(hasAtLeastGraphemes("ab", 2));
    EXPECT_FALSE(hasAtLeastGraphemes("\r\n", 2));
    EXPECT_FALSE(hasAtLeastGraphemes(QString::fromUtf8("🇩🇪"), 2));
    EXPECT_FALSE(hasAtLeastGraphemes(QString::fromUtf8("👨‍👩‍👧"), 2));
    EXPECT_TRUE(hasAtLeastGraphemes(QString::fromUtf8("🇩🇪🇫🇷"), 2));
}
