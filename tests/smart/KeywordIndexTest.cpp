#include "smart/KeywordIndex.h"

#include "SmartTestIndex.h"
#include "SmartTestSupport.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

using namespace pigmo;
using pigmo::test::emojiIcon;
using pigmo::test::lucideIcon;
using pigmo::test::symbolIcon;

namespace {

class KeywordIndexTest : public testing::Test {
protected:
    std::shared_ptr<const KeywordIndex> build() { return KeywordIndex::build(data.sources()); }

    test::TestSources data;
    test::LogCapture log;
};

TEST_F(KeywordIndexTest, WithoutLanguagesHoldsNameTokensOnly)
{
    data.catalogues.lucide = {lucideIcon("arrow-up"), lucideIcon("folder")};
    data.catalogues.sf = {symbolIcon("folder.fill.badge.plus")};
    data.catalogues.emoji = {emojiIcon(QString::fromUtf8("📁"), "file folder")};
    data.writeFile("lucide_keywords_en", R"({"folder": {"directory": 3}})");

    const auto index = build();

    EXPECT_EQ(index->iconKeys("arrow"), QStringList{"lucide:arrow-up"});
    EXPECT_EQ(index->iconKeys("folder"),
              (QStringList{"lucide:folder", "sf:folder.fill.badge.plus", QString::fromUtf8("emoji:📁")}));
    EXPECT_TRUE(index->iconKeys("directory").isEmpty());
    EXPECT_EQ(index->iconCount(), 4);
    EXPECT_EQ(log.lines(), (QStringList{
                               QString::fromUtf8("[SmartIcon] 🔄 Building keyword index..."),
                               QString::fromUtf8("[SmartIcon]   🌐 Loading keywords for languages: "),
                               log.lines().last(),
                           }));
    EXPECT_TRUE(log.lines().last().startsWith(
        // arrow, up, folder, fill, badge, plus, file
        QString::fromUtf8("[SmartIcon] ✅ Keyword index built: 7 keywords, 4 icons in 0.")));
    EXPECT_EQ(log.lines(log::Channel::systemLog).size(), 3);
}

TEST_F(KeywordIndexTest, NameTokensOfEachCatalogue)
{
    data.catalogues.lucide = {lucideIcon("a--b"), lucideIcon("Arrow-Up-RIGHT")};
    data.catalogues.sf = {symbolIcon("Folder.Fill.Badge.Plus"), symbolIcon("house")};
    data.catalogues.emoji = {emojiIcon(QString::fromUtf8("😀"), "grinning face_with-big eyes")};

    const auto index = build();

    const struct {
        const char* key;
        QStringList tokens;
        int count;
    } expected[] = {
        {"lucide:a--b", {"a", "b"}, 2},
        {"lucide:Arrow-Up-RIGHT", {"arrow", "up", "right"}, 3},
        {"sf:folder.fill.badge.plus", {"folder", "fill", "badge", "plus"}, 4},
        {"sf:house", {"house"}, 1},
        {"emoji:😀", {"grinning", "face", "with", "big", "eyes"}, 5},
    };
    for (const auto& [key, tokens, count] : expected) {
        const KeywordIndex::IconEntry* entry = index->iconForKey(QString::fromUtf8(key));
        ASSERT_NE(entry, nullptr) << key;
        EXPECT_EQ(entry->nameTokens, tokens) << key;
        EXPECT_EQ(entry->tokenCount, count) << key;
        for (const QString& token : tokens)
            EXPECT_TRUE(index->iconKeys(token).contains(QString::fromUtf8(key))) << key;
    }
}

TEST_F(KeywordIndexTest, CataloguesLoadedDuringTheBuildReplaceTheGivenOnes)
{
    data.languages = {"en"};
    data.writeFile("lucide_keywords_en", R"({"camera": {"photo": 3}})");
    data.catalogues.lucide = {lucideIcon("folder")}; // not read when a loader is given
    IndexSources sources = data.sources();
    int loads = 0;
    sources.loadCatalogues = [&loads] {
        ++loads;
        return IconCatalogues{{lucideIcon("camera")}, {symbolIcon("house")}, {}};
    };

    const auto index = KeywordIndex::build(sources);

    EXPECT_EQ(loads, 1);
    EXPECT_EQ(index->iconKeys("photo"), QStringList{"lucide:camera"});
    EXPECT_EQ(index->iconKeys("house"), QStringList{"sf:house"});
    EXPECT_EQ(index->iconForKey("lucide:folder"), nullptr);
    EXPECT_EQ(index->catalogues().lucide, QList<Icon>{lucideIcon("camera")});
    EXPECT_EQ(index->iconCount(), 2);
}

TEST_F(KeywordIndexTest, RelevancesMergeAcrossLanguagesByTheirMaximum)
{
    data.catalogues.lucide = {lucideIcon("camera"), lucideIcon("image")};
    data.languages = {"en", "fr", "de"};
    data.writeFile("lucide_keywords_en", R"({"camera": {"photo": 1, "lens": -2}, "image": {"picture": 2}})");
    data.writeFile("lucide_keywords_fr", R"({"camera": {"photo": 3}, "ghost": {"fantome": 3}})");
    data.writeFile("lucide_keywords_de", R"({"camera": {"  Café  ": 2, "   ": 3, "\t": 1}})");

    const auto index = build();

    EXPECT_EQ(index->relevance("lucide:camera", "photo"), 3);
    EXPECT_EQ(index->relevance("lucide:camera", "lens"), 0);
    EXPECT_EQ(index->relevance("lucide:camera", "cafe"), 2);
    EXPECT_EQ(index->relevance("lucide:image", "picture"), 2);
    EXPECT_EQ(index->relevance("lucide:camera", "camera"), std::nullopt); // a name token, not a keyword
    EXPECT_TRUE(index->iconKeys("fantome").isEmpty());                    // "ghost" is not in the catalogue
    EXPECT_TRUE(index->iconKeys("").isEmpty());
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   🌐 Loading keywords for languages: de, en, fr")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   📖 Loaded Lucide keywords (en): 2 entries")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   📖 Loaded Lucide keywords (fr): 2 entries")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   📖 Loaded Lucide keywords (de): 1 entries")));
    EXPECT_FALSE(log.contains("emoji keywords")); // no emoji files: skipped without a line
}

TEST_F(KeywordIndexTest, KeywordsOfOneFileThatNormaliseAlikeAreOneWord)
{
    data.catalogues.lucide = {lucideIcon("camera"), lucideIcon("image")};
    data.languages = {"en"};
    data.writeFile("lucide_keywords_en",
                   R"({"camera": {"Photo": 1, "photo ": 3, "PHOTO": 2}, "image": {"pHoto": 2, "snap": 1}})");

    const auto index = build();

    EXPECT_EQ(index->iconKeys("photo"), (QStringList{"lucide:camera", "lucide:image"}));
    EXPECT_EQ(index->relevance("lucide:camera", "photo"), 3);
    EXPECT_EQ(index->relevance("lucide:image", "photo"), 2);
    EXPECT_EQ(index->relevance("lucide:image", "snap"), 1);
    EXPECT_EQ(index->keywordCount(), 4); // camera, image, photo, snap
}

TEST_F(KeywordIndexTest, EmojiKeywordsFallBackToTheFormWithoutVariationSelector)
{
    const QString heart = QString::fromUtf8("❤");
    const QString heartFe0f = QString::fromUtf8("❤️");
    data.catalogues.emoji = {emojiIcon(heart, "red heart"), emojiIcon(QString::fromUtf8("😀"), "grinning face")};
    data.languages = {"en"};
    data.writeFile(
        "emoji_keywords_en",
        QString::fromUtf8(
            R"({"❤️": {"Love": 3}, "😀": {"Smile": 2}, "🦄️": {"unicorn": 3}, "🦄": {"horse": 1}})")
            .toUtf8());

    const auto index = build();

    EXPECT_EQ(index->iconKeys("love"), QStringList{QString("emoji:") + heart});
    EXPECT_EQ(index->relevance(QString("emoji:") + heart, "love"), 3);
    EXPECT_EQ(index->iconForKey(QString("emoji:") + heartFe0f), nullptr);
    EXPECT_EQ(index->iconKeys("smile").size(), 1);
    EXPECT_TRUE(index->iconKeys("unicorn").isEmpty());
    EXPECT_TRUE(index->iconKeys("horse").isEmpty());
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   📖 Loaded emoji keywords (en): 4 entries")));
}

TEST_F(KeywordIndexTest, CountryFlagsAreNormalised)
{
    const QString germany = QString::fromUtf8("🇩🇪");
    data.catalogues.emoji = {emojiIcon(germany, "flag Germany")};
    data.writeFile("country_flags", QString::fromUtf8(R"({"🇩🇪": ["  Deutschland", "Germany", "ALLEMAGNE", "  "],
                                                          "🇫🇷": ["France"], "🇪🇸": []})")
                                        .toUtf8());

    const auto index = build();

    EXPECT_EQ(index->countryFlag("deutschland"), germany);
    EXPECT_EQ(index->countryFlag("allemagne"), germany);
    EXPECT_EQ(index->countryFlag("france"), QString::fromUtf8("🇫🇷")); // kept even without the emoji
    EXPECT_EQ(index->countryFlag("  Deutschland"), std::nullopt);
    EXPECT_EQ(index->countryFlagCount(), 4);
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   🏳️  Loaded country flags: 3 flags, 4 keywords")));
}

TEST_F(KeywordIndexTest, MalformedFilesAreSkippedSilently)
{
    data.catalogues.lucide = {lucideIcon("camera")};
    data.languages = {"en", "fr", "de", "it", "es"};
    data.writeFile("lucide_keywords_en", R"({"camera": {"photo": 2.5}})");
    data.writeFile("lucide_keywords_fr", R"([{"camera": {"photo": 2}}])");
    data.writeFile("lucide_keywords_de", R"({"camera": {"photo": "3"}})");
    data.writeFile("lucide_keywords_it", R"({"camera": {"photo": 2}, "image": ["x"]})");
    data.writeFile("lucide_keywords_es", R"({"camera": {"photo": 2}})"); // the only good file
    data.writeFile("emoji_keywords_en", "{not json");
    data.writeFile("country_flags", R"({"🇩🇪": "Deutschland"})");

    const auto index = build();

    EXPECT_EQ(index->relevance("lucide:camera", "photo"), 2);
    EXPECT_EQ(log.count("Loaded Lucide keywords"), 1);
    EXPECT_TRUE(log.contains(QString::fromUtf8("📖 Loaded Lucide keywords (es): 1 entries")));
    EXPECT_FALSE(log.contains("country flags"));
    EXPECT_EQ(index->countryFlagCount(), 0);
    EXPECT_TRUE(log.lines().last().contains(QString::fromUtf8("✅ Keyword index built")));
}

TEST_F(KeywordIndexTest, LaterCatalogueEntryWithTheSameKeyReplacesTheEarlier)
{
    const QString face = QString::fromUtf8("🙂");
    data.catalogues.emoji = {emojiIcon(face, "slightly smiling"), emojiIcon(face, "happy face")};

    const auto index = build();

    EXPECT_EQ(index->iconCount(), 1);
    EXPECT_EQ(index->iconForKey(QString("emoji:") + face)->icon.name, "happy face");
    EXPECT_EQ(index->iconForKey(QString("emoji:") + face)->nameTokens, (QStringList{"happy", "face"}));
    // The earlier name's words still lead to the icon, but no longer as its own name tokens.
    ASSERT_EQ(index->postings("smiling").size(), 1u);
    EXPECT_FALSE(index->postings("smiling").front().isNameToken);
    EXPECT_TRUE(index->postings("happy").front().isNameToken);
}

TEST_F(KeywordIndexTest, BaseIconsOfVariants)
{
    data.catalogues.lucide = {lucideIcon("folder"), lucideIcon("folder-open"), lucideIcon("cloud-rain")};
    data.catalogues.sf = {symbolIcon("folder"), symbolIcon("folder.fill")};

    const auto index = build();

    EXPECT_TRUE(index->hasBaseIcon("lucide:folder-open"));
    EXPECT_TRUE(index->iconForKey("lucide:folder-open")->hasBaseIcon);
    EXPECT_FALSE(index->hasBaseIcon("lucide:cloud-rain"));
    EXPECT_FALSE(index->hasBaseIcon("lucide:folder"));
    EXPECT_TRUE(index->hasBaseIcon("sf:folder.fill"));
    EXPECT_FALSE(index->hasBaseIcon("sf:folder-fill"));
    EXPECT_TRUE(index->hasBaseIcon("lucide:folder--x"));
    EXPECT_FALSE(index->hasBaseIcon("folder-open"));
    EXPECT_FALSE(index->hasBaseIcon("emoji:folder-open"));
}

TEST_F(KeywordIndexTest, PrefixRangeMatchesAFullScan)
{
    data.catalogues.lucide = {lucideIcon("folder"), lucideIcon("folder-open"), lucideIcon("fold"),
                              lucideIcon("food"),   lucideIcon("photo"),       lucideIcon("photograph"),
                              lucideIcon("f"),      lucideIcon("fo-x"),        lucideIcon("zebra")};
    data.languages = {"en"};
    data.writeFile("lucide_keywords_en",
                   QString::fromUtf8(R"({"food": {"foodstuff": 2, "fön": 1, "folklore": 1}})").toUtf8());

    const auto index = build();

    const std::vector<QString>& words = index->keywords();
    EXPECT_TRUE(std::is_sorted(words.begin(), words.end()));
    for (const QString prefix : {"f", "fo", "fol", "folder", "foo", "fon", "ph", "photo", "z", "zz", "a", ""}) {
        QStringList expected;
        for (const QString& word : words) {
            if (word != prefix && word.startsWith(prefix))
                expected.append(word);
        }
        QStringList found;
        index->forEachExtension(prefix, [&](const QString& word, auto) { found.append(word); });
        EXPECT_EQ(found, expected) << prefix.toStdString();
    }
}

} // namespace
