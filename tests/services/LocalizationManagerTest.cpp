#include "services/LocalizationManager.h"
#include "storage/Preferences.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace pigmo;

namespace {

// A resources directory of our own with two string tables; must be set before the first resource lookup.
class LocalizationManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qunsetenv("TEST_LOCALE");
        qputenv("PIGMO_RESOURCES_DIR", resources.path().toUtf8());
        writeTable("en", R"({"done":"Done","folders.one":"%lld folder","folders.many":"%lld folders"})");
        writeTable("ru", R"({"done":"Готово","folders.one":"%lld папка","folders.few":"%lld папки",)"
                         R"("folders.many":"%lld папок"})");
    }
    void writeTable(const QString& code, const QByteArray& json)
    {
        QDir().mkpath(resources.path() + "/strings/" + code);
        QFile file(resources.path() + "/strings/" + code + "/General.json");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }
    QTemporaryDir resources;
};

TEST_F(LocalizationManagerTest, FirstStartFollowsThePreferredLanguageByPrefix)
{
    EXPECT_EQ(LocalizationManager({"de-CH", "en"}).currentLanguage(), "de");
    EXPECT_EQ(LocalizationManager({"ja-JP"}).currentLanguage(), "ja");
    EXPECT_EQ(LocalizationManager({"fr-CA"}).currentLanguage(), "fr");
    EXPECT_EQ(LocalizationManager({"pt-BR"}).currentLanguage(), "pt-BR");
    EXPECT_EQ(LocalizationManager({"pt-PT"}).currentLanguage(), "en");
    EXPECT_EQ(LocalizationManager({"zh-Hant-HK"}).currentLanguage(), "en");
    EXPECT_EQ(LocalizationManager({"zh-Hant-TW"}).currentLanguage(), "en");
    // Linux locales name no script: zh_CN is Simplified Chinese, zh_TW is not.
    EXPECT_EQ(LocalizationManager({"zh-CN"}).currentLanguage(), "zh-Hans");
    EXPECT_EQ(LocalizationManager({"zh-TW"}).currentLanguage(), "en");
    EXPECT_EQ(LocalizationManager(QStringList{}).currentLanguage(), "en");
    EXPECT_FALSE(Preferences::contains(prefs::appLanguage));
}

TEST_F(LocalizationManagerTest, ChosenLanguageIsStoredAndWinsOverTheSystemNextTime)
{
    LocalizationManager first({"en-US"});
    QSignalSpy changed(&first, &LocalizationManager::currentLanguageChanged);
    first.setCurrentLanguage("ru");
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(first.string("done"), "Готово");
    EXPECT_EQ(Preferences::value(prefs::appLanguage), "ru");
    EXPECT_EQ(LocalizationManager({"de-DE"}).currentLanguage(), "ru");
}

TEST_F(LocalizationManagerTest, EnvironmentOverridesAndUnknownCodesFallBack)
{
    Preferences::setValue(prefs::appLanguage, QStringLiteral("ru"));
    qputenv("TEST_LOCALE", "xx");
    LocalizationManager forced({"en-GB"});
    EXPECT_EQ(forced.currentLanguage(), "xx");
    EXPECT_EQ(forced.string("done"), "Done"); // the preferred language's table stands in
    EXPECT_EQ(forced.string("no_such_key"), "no_such_key");
    EXPECT_EQ(Preferences::value(prefs::appLanguage), "ru");
}

TEST_F(LocalizationManagerTest, PluralKeysFollowEachLanguagesCategories)
{
    const auto suffixes = [](const QString& language, std::initializer_list<qint64> counts) {
        QStringList result;
        for (qint64 count : counts)
            result << LocalizationManager::pluralKey("k", count, language).mid(2);
        return result.join(' ');
    };
    EXPECT_EQ(suffixes("en", {0, 1, 2, 4, 5, 11, 21}), "many one many many many many many");
    EXPECT_EQ(suffixes("ru", {0, 1, 2, 4, 5, 11, 12, 21, 22, 25, 111, 1001, -1}),
              "many one few few many many many one few many many one one");
    EXPECT_EQ(suffixes("fr", {0, 1, 2, 1000000}), "one one many many");
    EXPECT_EQ(suffixes("pt-BR", {0, 1, 2}), "one one many");
    EXPECT_EQ(suffixes("cs", {0, 1, 2, 4, 5, 21}), "many one few few many many");
    EXPECT_EQ(suffixes("ja", {0, 1, 2}), "many many many");
    EXPECT_EQ(suffixes("zh-Hans", {1}), "many");
    EXPECT_EQ(suffixes("xx", {1, 2}), "one many");
}

TEST_F(LocalizationManagerTest, CountedTextsFormatTheCountAndFallBackToThePluralKey)
{
    LocalizationManager manager({"ru-RU"});
    EXPECT_EQ(manager.string("folders", 21), "21 папка");
    EXPECT_EQ(manager.string("folders", 3), "3 папки");
    EXPECT_EQ(manager.string("folders", 11), "11 папок");
    EXPECT_EQ(manager.string("missing", 2), "missing.few");
}

TEST_F(LocalizationManagerTest, SupportedLanguagesInMenuOrder)
{
    QStringList codes;
    for (const auto& language : LocalizationManager::supportedLanguages())
        codes << language.code;
    EXPECT_EQ(codes.join(','), "en,fr,it,de,es,pt-BR,zh-Hans,ja,ko,ru,cs");
    EXPECT_EQ(LocalizationManager::supportedLanguages().at(10).name, "Čeština");
}

TEST_F(LocalizationManagerTest, MalformedTableIsNoTable)
{
    writeTable("de", "[1,2]");
    EXPECT_FALSE(StringTable::load("de", "General"));
    EXPECT_FALSE(StringTable::load("../en", "General"));
    EXPECT_TRUE(StringTable::load("en", "General"));
}

} // namespace
