#include "storage/InterfaceLanguage.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

using namespace pigmo;

TEST(InterfaceLanguageTest, PreferredTagsMatchBySupportedPrefixAndLikelyScript)
{
    EXPECT_EQ(InterfaceLanguage::matchPreferred({"de-CH", "fr"}), "de");
    EXPECT_EQ(InterfaceLanguage::matchPreferred({"pt-BR"}), "pt-BR");
    EXPECT_EQ(InterfaceLanguage::matchPreferred({"zh-CN"}), "zh-Hans");
    EXPECT_EQ(InterfaceLanguage::matchPreferred({"sv-SE", "de"}), "en"); // only the first tag counts
    EXPECT_EQ(InterfaceLanguage::matchPreferred({}), "en");
    EXPECT_EQ(InterfaceLanguage::supported().size(), 11);
}

TEST(InterfaceLanguageTest, ForcedThenStoredThenPreferred)
{
    EXPECT_EQ(InterfaceLanguage::initial({"cs-CZ"}), "cs");
    Preferences::setValue(prefs::appLanguage, QStringLiteral("ja"));
    EXPECT_EQ(InterfaceLanguage::initial({"cs-CZ"}), "ja");
    qputenv("TEST_LOCALE", "ko");
    EXPECT_EQ(InterfaceLanguage::initial({"cs-CZ"}), "ko");
    qunsetenv("TEST_LOCALE");
}
