#include "smart/SmartIconService.h"

#include "SmartTestIndex.h"
#include "SmartTestSupport.h"
#include "storage/Preferences.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace pigmo;
using namespace std::chrono_literals;
using pigmo::test::emojiIcon;
using pigmo::test::lucideIcon;
using pigmo::test::symbolIcon;

namespace {

ColorizationData styleWith(const Icon& icon)
{
    ColorizationData data;
    data.icon = icon;
    return data;
}

Icon customImage()
{
    Icon icon;
    icon.name = Icon::customName;
    icon.imageData = QByteArray("png");
    return icon;
}

class SmartIconServiceTest : public testing::Test {
protected:
    SmartIconServiceTest()
    {
        data.catalogues.lucide = {lucideIcon("folder"),     lucideIcon("folder-open"), lucideIcon("cloud-rain"),
                                  lucideIcon("camera"),     lucideIcon("image"),       lucideIcon("music"),
                                  lucideIcon("file-music"), lucideIcon("receipt")};
        data.catalogues.sf = {symbolIcon("folder.fill"), symbolIcon("music.note")};
        data.catalogues.emoji = {emojiIcon(germany, "flag Germany"), emojiIcon(QString::fromUtf8("📷"), "camera"),
                                 emojiIcon(QString::fromUtf8("🎵"), "musical note")};
        data.languages = {"en"};
        data.writeFile("lucide_keywords_en", R"({
            "folder": {"folder": 3, "directory": 3},
            "camera": {"photo": 3, "photography": 2, "snapshot": 1, "lens": 0},
            "image": {"photo": 1, "picture": 3},
            "receipt": {"invoice": 3, "bill": 1},
            "music": {"song": 3}})");
        data.writeFile("emoji_keywords_en", QString::fromUtf8(R"({"📷": {"photo": 3}, "🎵": {"song": 2}})").toUtf8());
        data.writeFile("country_flags", QString::fromUtf8(R"({"🇩🇪": ["Germany", "Deutschland"]})").toUtf8());
    }

    SmartIconService& readyService()
    {
        EXPECT_TRUE(service.waitUntilReady(10s));
        log.clear();
        return service;
    }

    static double scoreOf(const QList<SmartIconService::ScoredIcon>& scored, const QString& key)
    {
        for (const auto& candidate : scored) {
            if (candidate.key == key)
                return candidate.score;
        }
        return -1;
    }

    const QString germany = QString::fromUtf8("🇩🇪");
    test::TestSources data;
    test::LogCapture log;
    SmartIconService service{[this] { return data.sources(); }};
};

TEST_F(SmartIconServiceTest, NotReadyFindsNothingAndRequestsABuild)
{
    service.setBuildDelayForTesting(200ms);

    EXPECT_TRUE(service.searchIcons("folder", 18, LibraryFilter::all, false).isEmpty());
    EXPECT_FALSE(service.isLoading()); // a search requests no build

    EXPECT_EQ(service.findIcon("Music", {}), std::nullopt);
    EXPECT_EQ(log.lines(), (QStringList{QString::fromUtf8("[SmartIcon] 🔍 Searching icon for folder: 'Music'"),
                                        QString::fromUtf8("[SmartIcon] ⏳ Not ready yet (still loading)")}));
    EXPECT_TRUE(service.isLoading());
    EXPECT_FALSE(service.isReady());

    EXPECT_TRUE(service.waitUntilReady(10s));
    EXPECT_TRUE(service.isReady());
    EXPECT_FALSE(service.isLoading());
    EXPECT_EQ(service.findIcon("Music", {})->name, "music");
}

// Counts `indexReady()` emissions, which arrive on the build thread.
class ReadyCounter {
public:
    explicit ReadyCounter(SmartIconService& service)
    {
        QObject::connect(
            &service, &SmartIconService::indexReady, &service,
            [this] {
                std::lock_guard lock(mutex_);
                ++count_;
                changed_.notify_all();
            },
            Qt::DirectConnection);
    }
    bool waitFor(int count)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return count_ >= count; });
    }
    int count()
    {
        std::lock_guard lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

TEST_F(SmartIconServiceTest, ReadinessIsSignalledAndCanBeAwaited)
{
    ReadyCounter ready(service);
    service.setBuildDelayForTesting(300ms);
    service.buildIndexIfNeeded();

    EXPECT_FALSE(service.waitUntilReady(20ms));
    EXPECT_TRUE(service.waitUntilReady(10s));
    EXPECT_TRUE(ready.waitFor(1));

    service.buildIndexIfNeeded(); // ready: nothing happens
    service.setBuildDelayForTesting(0ms);
    service.rebuildIndex();
    service.rebuildIndex(); // queued behind the first: two builds in a row
    EXPECT_TRUE(ready.waitFor(3));
    EXPECT_TRUE(service.isReady());
    EXPECT_EQ(ready.count(), 3);
    EXPECT_EQ(log.count(QString::fromUtf8("🔄 Building keyword index...")), 3);
}

TEST_F(SmartIconServiceTest, CountryNameGivesItsFlagBeforeAnyVote)
{
    readyService();
    const QList<ColorizationData> siblings = {styleWith(lucideIcon("camera")), styleWith(lucideIcon("music"))};

    const std::optional<Icon> icon =
        service.findIcon(QString::fromUtf8("  Deutschland "), SmartSiblingAnalysis::libraryCounts(siblings));

    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->emoji, germany);
    EXPECT_EQ(log.lines(),
              (QStringList{QString::fromUtf8("[SmartIcon] 🔍 Searching icon for folder: '  Deutschland '"),
                           QString::fromUtf8(
                               "[SmartIcon]   🏳️  Country-flag override matched 'deutschland' → 🇩🇪")}));
}

TEST_F(SmartIconServiceTest, WeightsOfNameAndKeywordMatches)
{
    readyService();
    const auto scored = service.scoreIcons("photo folder", std::nullopt, false);

    // folder: a name token of lucide:folder (1.0, though the keyword file lists it too) and of sf:folder.fill.
    ASSERT_FALSE(scored.isEmpty());
    EXPECT_EQ(scored.front().key, "lucide:folder");
    EXPECT_DOUBLE_EQ(scored.front().rawScore, 0.5);
    const auto& folderMatch = scored.front().wordMatches[1];
    EXPECT_TRUE(folderMatch.isNameMatch);
    EXPECT_EQ(folderMatch.relevance, 3);
    EXPECT_DOUBLE_EQ(folderMatch.weightedScore, 1.0);
    // photo: keyword of camera with relevance 3 (0.6), of image with relevance 1 (0.2).
    EXPECT_DOUBLE_EQ(scoreOf(scored, "lucide:camera"), 0.3);
    EXPECT_DOUBLE_EQ(scoreOf(scored, "lucide:image"), 0.1);
    const auto& unmatched = scored.front().wordMatches[0];
    EXPECT_EQ(unmatched.queryWord, "photo");
    EXPECT_EQ(unmatched.matchedKeyword, std::nullopt);
    EXPECT_EQ(unmatched.weightedScore, 0);

    // A keyword of relevance 0 gives no match at all.
    EXPECT_TRUE(service.scoreIcons("lens", std::nullopt, false).isEmpty());
    // A repeated word counts once per occurrence.
    EXPECT_DOUBLE_EQ(scoreOf(service.scoreIcons("photo photo bill", std::nullopt, false), "lucide:camera"), 0.4);
}

TEST_F(SmartIconServiceTest, PrefixMatchesOnlyWhenAllowedAndTheBetterMatchStays)
{
    readyService();
    EXPECT_TRUE(service.scoreIcons("fol", std::nullopt, false).isEmpty());

    const auto scored = service.scoreIcons("fol", std::nullopt, true);
    EXPECT_DOUBLE_EQ(scoreOf(scored, "lucide:folder"), 0.8);
    EXPECT_DOUBLE_EQ(scoreOf(scored, "lucide:folder-open"), 0.8 / 1.15);
    EXPECT_EQ(scored.front().wordMatches.front().matchedKeyword, "folder");
    EXPECT_DOUBLE_EQ(scored.front().wordMatches.front().rawScore, 0.8);

    // "photograph" only as a keyword of relevance 2: 2 / 3 × 0.48.
    const auto photo = service.scoreIcons("photog", std::nullopt, true);
    EXPECT_NEAR(scoreOf(photo, "lucide:camera"), 2.0 / 3.0 * 0.48, 1e-12);

    // An exact name match (1.0) is never replaced by a prefix match.
    const auto exact = service.scoreIcons("folder", std::nullopt, true);
    EXPECT_DOUBLE_EQ(scoreOf(exact, "lucide:folder"), 1.0);
    EXPECT_EQ(exact.front().wordMatches.front().matchedKeyword, "folder");
}

TEST_F(SmartIconServiceTest, PrefixNameMatchReplacesAWeakerExactKeywordMatch)
{
    data.catalogues.lucide.append(lucideIcon("photos-stack"));
    data.writeFile("lucide_keywords_en", R"({"photos-stack": {"photo": 3}})");
    readyService();

    const auto scored = service.scoreIcons("photo", LibrarySet{IconLibrary::lucide}, true);
    ASSERT_EQ(scored.size(), 1);
    const auto& match = scored.front().wordMatches.front();
    EXPECT_EQ(match.matchedKeyword, "photos"); // prefix of its own name (0.8) over the keyword (0.6)
    EXPECT_TRUE(match.isNameMatch);
    EXPECT_DOUBLE_EQ(match.weightedScore, 0.8);
    EXPECT_EQ(match.relevance, 3);
}

TEST_F(SmartIconServiceTest, VariantsOfAnExistingIconArePenalised)
{
    readyService();
    const auto music = service.scoreIcons("music", LibrarySet{IconLibrary::lucide}, false);
    EXPECT_DOUBLE_EQ(scoreOf(music, "lucide:music"), 1.0);
    EXPECT_DOUBLE_EQ(scoreOf(music, "lucide:file-music"), 1.0); // "file" is no icon of its own

    const auto folder = service.scoreIcons("open", std::nullopt, false);
    EXPECT_DOUBLE_EQ(scoreOf(folder, "lucide:folder-open"), 1.0 / 1.15);
    EXPECT_EQ(folder.front().tokenCount, 2);
    EXPECT_DOUBLE_EQ(folder.front().rawScore, 1.0);

    const auto rain = service.scoreIcons("rain", std::nullopt, false);
    EXPECT_DOUBLE_EQ(scoreOf(rain, "lucide:cloud-rain"), 1.0);
    EXPECT_TRUE(service.hasBaseIcon("lucide:folder-open"));
    EXPECT_FALSE(service.hasBaseIcon("lucide:cloud-rain"));
}

TEST_F(SmartIconServiceTest, SiblingMajorityChoosesTheLibrary)
{
    readyService();
    const ColorizationData lucide = styleWith(lucideIcon("camera"));
    const ColorizationData emoji = styleWith(emojiIcon(QString::fromUtf8("📷"), "camera"));
    const ColorizationData custom = styleWith(customImage());
    const ColorizationData plain;

    EXPECT_EQ(service.majorityLibrary(SmartSiblingAnalysis::libraryCounts({lucide, lucide, emoji, plain})),
              LibrarySet{IconLibrary::lucide});
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   📚 Majority library: lucide (2 icons)")));
    log.clear();

    Preferences::setValue(prefs::preferredIconLibrary, QStringLiteral("emoji"));
    EXPECT_EQ(service.majorityLibrary(SmartSiblingAnalysis::libraryCounts({lucide, lucide, emoji, emoji})),
              LibrarySet{IconLibrary::emoji});
    EXPECT_EQ(service.majorityLibrary(SmartSiblingAnalysis::libraryCounts({custom, custom, custom, lucide})),
              LibrarySet{IconLibrary::emoji});
    EXPECT_EQ(service.majorityLibrary({}), LibrarySet{IconLibrary::emoji});
    EXPECT_EQ(log.count(QString::fromUtf8("[SmartIcon]   📚 No sibling signal, using preference: emoji")), 3);

    Preferences::setValue(prefs::preferredIconLibrary, QStringLiteral("symbols")); // not a library: lucide
    EXPECT_EQ(service.majorityLibrary(SmartSiblingAnalysis::libraryCounts({plain})), LibrarySet{IconLibrary::lucide});
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   📚 No sibling signal, using preference: lucide")));
}

TEST_F(SmartIconServiceTest, FindIconLogsTheRankingAndSelectsTheBest)
{
    readyService();
    const QList<ColorizationData> siblings = {styleWith(emojiIcon(QString::fromUtf8("📷"), "camera"))};

    const std::optional<Icon> icon = service.findIcon("Photo_Album", SmartSiblingAnalysis::libraryCounts(siblings));

    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->emoji, QString::fromUtf8("📷"));
    EXPECT_EQ(log.lines(),
              (QStringList{
                  QString::fromUtf8("[SmartIcon] 🔍 Searching icon for folder: 'Photo_Album'"),
                  QString::fromUtf8("[SmartIcon]   📚 Majority library: emoji (1 icons)"),
                  QString::fromUtf8("[SmartIcon]   📊 Top 10 matches:"),
                  QString::fromUtf8("[SmartIcon]     1. emoji:📷 (score: 0.300, via: photo→photo*, album→∅)"),
                  QString::fromUtf8("[SmartIcon]   → Selected: 'emoji:📷' (score: 0.300)"),
              }));
}

TEST_F(SmartIconServiceTest, RandomFallbackNeedsFourLetters)
{
    readyService();
    Preferences::setValue(prefs::preferredIconLibrary, QStringLiteral("lucide"));

    EXPECT_EQ(service.findIcon("xy12", {}), std::nullopt);
    EXPECT_TRUE(log.contains(
        QString::fromUtf8("[SmartIcon] ❌ No matches found, skipping random fallback (only 2 letters in name)")));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon]   📊 Top 10 matches:")));

    const std::optional<Icon> random = service.findIcon("Projects", {});
    ASSERT_TRUE(random);
    EXPECT_TRUE(data.catalogues.lucide.contains(*random));
    EXPECT_TRUE(log.contains(QString::fromUtf8("[SmartIcon] ❌ No matches found, falling back to random icon")));

    // Accented letters and marks count as letters: "Éte" spelled with a combining accent has four.
    EXPECT_TRUE(service.findIcon(QString::fromUtf8("E\u0301te"), {}).has_value());
}

TEST_F(SmartIconServiceTest, SearchFiltersByLibraryCode)
{
    readyService();
    const auto keysOf = [](const QList<SmartIconService::IconMatch>& matches) {
        QStringList libraries;
        for (const auto& match : matches)
            libraries.append(match.library);
        return libraries;
    };

    EXPECT_TRUE(service.searchIcons("music", 0, LibraryFilter::all, false).isEmpty());
    EXPECT_EQ(keysOf(service.searchIcons("music", 18, LibraryFilter::sf, false)), QStringList{"sf"});
    EXPECT_EQ(keysOf(service.searchIcons("music", 18, LibraryFilter::lucide, false)),
              (QStringList{"lucide", "lucide"}));
    EXPECT_EQ(keysOf(service.searchIcons("song", 18, LibraryFilter::emoji, false)), QStringList{"emoji"});
    // music, file-music and music.note; the emoji's name token is "musical", which an exact search misses.
    EXPECT_EQ(service.searchIcons("music", 18, LibraryFilter::all, false).size(), 3);
    EXPECT_EQ(service.searchIcons("music", 18, LibraryFilter::all, true).size(), 4);
    EXPECT_EQ(service.searchIcons("music", 2, LibraryFilter::all, false).size(), 2);

    const auto matches = service.searchIcons("photo", 18, LibraryFilter::all, false);
    ASSERT_EQ(matches.size(), 3);
    EXPECT_NE(matches[0].id, matches[1].id);
    EXPECT_DOUBLE_EQ(matches[0].similarity, 0.6);
    EXPECT_EQ(matches.back().icon.name, "image");
    EXPECT_TRUE(service.searchIcons("a", 18, LibraryFilter::all, true).isEmpty()); // no word of 2 characters
}

TEST_F(SmartIconServiceTest, RandomIconDrawsFromTheFirstLibrary)
{
    readyService();
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(data.catalogues.sf.contains(*service.randomIcon(LibrarySet{IconLibrary::sf})));
        EXPECT_TRUE(data.catalogues.emoji.contains(*service.randomIcon(LibrarySet{IconLibrary::emoji})));
        EXPECT_TRUE(data.catalogues.lucide.contains(*service.randomIcon(std::nullopt)));
        EXPECT_TRUE(data.catalogues.lucide.contains(*service.randomIcon(LibrarySet{})));
    }
}

TEST(SmartIconServiceEmptyTest, EmptyCataloguesGiveNoRandomIcon)
{
    test::TestSources empty;
    SmartIconService service([&empty] { return empty.sources(); });
    EXPECT_EQ(service.randomIcon(std::nullopt), std::nullopt);
    ASSERT_TRUE(service.waitUntilReady(10s));
    test::LogCapture log;
    EXPECT_EQ(service.findIcon("Projects", {}), std::nullopt);
    EXPECT_TRUE(log.contains(QString::fromUtf8("falling back to random icon")));
}

} // namespace
