// The keyword index over the program's own bundle data: all three catalogues, the keyword files of the
// eleven folder-name languages and the country table.
#include "smart/SmartIconService.h"

#include "SmartTestSupport.h"
#include "catalogue/IconsModel.h"
#include "storage/BundleResources.h"
#include "storage/Preferences.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

using namespace pigmo;
using namespace std::chrono_literals;

namespace {

IndexSources bundleSources()
{
    static const IconsModel catalogues(BundleResources::directory());
    return {{catalogues.lucideIcons(), catalogues.sfIcons(), catalogues.emojisIcons()},
            {"en", "fr", "it", "de", "es", "pt-BR", "zh-Hans", "ja", "ko", "ru", "cs"},
            BundleResources::path(QStringLiteral("keywords"))};
}

struct FolderExample {
    const char* folderName;
    std::vector<const char*> acceptable; // Lucide names, or emoji
};

void expectGlyph(SmartIconService& service, const FolderExample& example)
{
    test::LogCapture log;
    const std::optional<Icon> icon = service.findIcon(QString::fromUtf8(example.folderName), {});
    ASSERT_TRUE(icon) << example.folderName;
    const QString found = icon->emoji.value_or(icon->name);
    const bool expected = std::any_of(example.acceptable.begin(), example.acceptable.end(),
                                      [&](const char* name) { return found == QString::fromUtf8(name); });
    EXPECT_TRUE(expected) << example.folderName << " gave " << found.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("falling back to random icon"))) << example.folderName;
}

class SmartIconServiceBundleTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        service = new SmartIconService(bundleSources);
        ASSERT_TRUE(service->waitUntilReady(60s));
    }
    static void TearDownTestSuite() { delete service; }

    static inline SmartIconService* service = nullptr;
};

TEST_F(SmartIconServiceBundleTest, FolderNamesInSeveralLanguagesFindLucideGlyphs)
{
    const std::vector<FolderExample> examples = {
        {"Invoices", {"receipt", "receipt-text"}},
        {"Rechnungen", {"receipt", "receipt-text"}},
        {"Factures", {"receipt", "receipt-text"}},
        {"Photos 2023", {"camera", "image", "images"}},
        {"Фотографии", {"camera", "image", "images"}},
        {"写真", {"camera", "image", "images"}},
        {"Fotky", {"camera", "image", "images"}},
        {"Musique", {"music", "music-2", "music-3", "music-4", "drum", "guitar", "piano", "disc-3", "eighth-notes"}},
        {"Work", {"briefcase", "briefcase-business"}},
        {"Code", {"code", "code-xml", "square-code"}},
        {"Movies", {"popcorn", "film", "clapperboard", "projector"}},
        {"Books", {"library", "book", "book-open", "books", "library-big"}},
    };
    for (const FolderExample& example : examples)
        expectGlyph(*service, example);
}

TEST_F(SmartIconServiceBundleTest, EmojiPreferenceAndCountryNames)
{
    Preferences::setValue(prefs::preferredIconLibrary, QStringLiteral("emoji"));
    const std::vector<FolderExample> examples = {
        {"Invoices", {"🧾"}},
        {"Photos 2023", {"📷", "📸"}},
        {"Фотографии", {"📷", "📸"}},
        {"Deutschland", {"🇩🇪"}},
        {"Germany", {"🇩🇪"}},
        {"Japon", {"🇯🇵"}},
        {"日本", {"🇯🇵"}},
    };
    for (const FolderExample& example : examples)
        expectGlyph(*service, example);
}

TEST_F(SmartIconServiceBundleTest, SearchesOfTheIconTab)
{
    for (const auto filter : {LibraryFilter::lucide, LibraryFilter::emoji, LibraryFilter::sf}) {
        const auto matches = service->searchIcons("folder", 18, filter, false);
        ASSERT_FALSE(matches.isEmpty());
        EXPECT_LE(matches.size(), 18);
        for (const auto& match : matches)
            EXPECT_EQ(match.library, libraryName(*librariesFor(filter)->first()));
    }
    const auto prefixed = service->searchIcons("fol", 50, LibraryFilter::lucide, true);
    EXPECT_EQ(prefixed.size(), 50);
    EXPECT_TRUE(std::is_sorted(prefixed.begin(), prefixed.end(),
                               [](const auto& a, const auto& b) { return a.similarity > b.similarity; }));
}

} // namespace

TEST(SmartIconServiceSharedTest, TheProgramsIndexReadsTheBundleAndTheStoredLanguages)
{
    Preferences::setValue(prefs::folderLanguages, QStringList{"de"});
    SmartIconService& shared = SmartIconService::shared();
    EXPECT_EQ(&shared, &SmartIconService::shared());
    test::LogCapture log;
    ASSERT_TRUE(shared.waitUntilReady(60s));
    EXPECT_TRUE(log.contains(QString::fromUtf8("🌐 Loading keywords for languages: de")));
    EXPECT_EQ(shared.findIcon("Rechnungen", {})->name, "receipt");
}
