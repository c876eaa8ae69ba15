#include "smart/SmartPreferences.h"

#include "storage/Preferences.h"

#include <gtest/gtest.h>

using namespace pigmo;

TEST(SmartPreferencesTest, FolderLanguagesAreTheStoredSetElseEnglishAndTheInterfaceLanguage)
{
    qputenv("TEST_LOCALE", "fr");
    EXPECT_EQ(smart::selectedFolderLanguages(), (QSet<QString>{"en", "fr"}));
    qputenv("TEST_LOCALE", "en");
    EXPECT_EQ(smart::selectedFolderLanguages(), QSet<QString>{"en"});
    qunsetenv("TEST_LOCALE");
    Preferences::setValue(prefs::appLanguage, QStringLiteral("ru"));
    EXPECT_EQ(smart::selectedFolderLanguages(), (QSet<QString>{"en", "ru"}));

    Preferences::setValue(prefs::folderLanguages, QStringList{"de", "ja"});
    EXPECT_EQ(smart::selectedFolderLanguages(), (QSet<QString>{"de", "ja"}));
    Preferences::setValue(prefs::folderLanguages, QStringList{});
    EXPECT_TRUE(smart::selectedFolderLanguages().isEmpty()); // an empty selection stays empty
}

TEST(SmartPreferencesTest, PreferredLibraryIsLucideUnlessEmoji)
{
    EXPECT_EQ(smart::preferredIconLibrary(), IconLibrary::lucide);
    Preferences::setValue(prefs::preferredIconLibrary, QStringLiteral("emoji"));
    EXPECT_EQ(smart::preferredIconLibrary(), IconLibrary::emoji);
    Preferences::setValue(prefs::preferredIconLibrary, QStringLiteral("Emoji"));
    EXPECT_EQ(smart::preferredIconLibrary(), IconLibrary::lucide);
}
