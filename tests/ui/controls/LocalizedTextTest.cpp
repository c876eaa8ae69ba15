#include "ui/controls/LocalizedText.h"

#include "services/LocalizationManager.h"

#include <gtest/gtest.h>

using namespace pigmo;

TEST(LocalizedTextTest, ShowsTheKeysTextAndFollowsTheLanguageWithoutBeingRebuilt)
{
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    localization.setCurrentLanguage(QStringLiteral("en"));
    LocalizedText text(localization, QStringLiteral("recently_used"));
    EXPECT_EQ(text.text(), QStringLiteral("Recently used"));
    localization.setCurrentLanguage(QStringLiteral("de"));
    EXPECT_EQ(text.text(), QStringLiteral("Zuletzt verwendet"));
    localization.setCurrentLanguage(QStringLiteral("ja"));
    EXPECT_EQ(text.text(), QStringLiteral("最近使った色"));
}

TEST(LocalizedTextTest, AMissingKeyShowsItselfAndIsNeverReadAsMarkup)
{
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    LocalizedText missing(localization, QStringLiteral("no_such_plain_key"));
    EXPECT_EQ(missing.text(), QStringLiteral("no_such_plain_key"));
    EXPECT_EQ(missing.textFormat(), Qt::PlainText);
    LocalizedText counted(localization, QStringLiteral("no_such_key"), 3);
    EXPECT_EQ(counted.text(), QStringLiteral("no_such_key.many"));
}

TEST(LocalizedTextTest, ACountPicksThePluralKeyAndIsWrittenIntoIt)
{
    LocalizationManager localization{QStringList{QStringLiteral("en")}};
    localization.setCurrentLanguage(QStringLiteral("cs"));
    LocalizedText text(localization, QStringLiteral("change_icons"), 1);
    EXPECT_EQ(text.text(), QStringLiteral("Změnit 1 ikonu"));
    text.setCount(3);
    EXPECT_EQ(text.text(), QStringLiteral("Změnit 3 ikony"));
    text.setCount(7);
    EXPECT_EQ(text.text(), QStringLiteral("Změnit 7 ikon"));
    text.setCount(0);
    EXPECT_EQ(text.text(), QStringLiteral("Změnit 0 ikon"));
}
