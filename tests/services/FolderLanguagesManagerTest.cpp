#include "services/FolderLanguagesManager.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

using namespace pigmo;

namespace {

TEST(FolderLanguagesManagerTest, FirstStartIsEnglishPlusTheInterfaceLanguageAndStoresNothing)
{
    int rebuilds = 0;
    FolderLanguagesManager german("de", [&] { ++rebuilds; });
    EXPECT_EQ(german.selectedLanguages(), (QSet<QString>{"en", "de"}));
    EXPECT_EQ(FolderLanguagesManager("en", {}).selectedLanguages(), QSet<QString>{"en"});
    EXPECT_FALSE(Preferences::contains(prefs::folderLanguages));
    german.commitChanges();
    EXPECT_EQ(rebuilds, 0);
}

TEST(FolderLanguagesManagerTest, EditsPersistAtOnceAndOnlyARealChangeRebuilds)
{
    int rebuilds = 0;
    FolderLanguagesManager manager("en", [&] { ++rebuilds; });
    manager.setSelectedLanguages({"en", "fr"});
    manager.setSelectedLanguages({"en"});
    EXPECT_EQ(Preferences::value(prefs::folderLanguages), QStringList{"en"});
    manager.commitChanges();
    EXPECT_EQ(rebuilds, 0);

    manager.setSelectedLanguages({"en", "ja"});
    manager.commitChanges();
    manager.commitChanges();
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(manager.lastCommittedLanguages(), (QSet<QString>{"en", "ja"}));
    EXPECT_EQ(FolderLanguagesManager("ko", {}).selectedLanguages(), (QSet<QString>{"en", "ja"}));
}

TEST(FolderLanguagesManagerTest, StoredEmptySetStaysEmpty)
{
    FolderLanguagesManager("en", {}).setSelectedLanguages({});
    EXPECT_TRUE(FolderLanguagesManager("de", {}).selectedLanguages().isEmpty());
}

} // namespace
