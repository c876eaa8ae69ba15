// The keyword index over the program's own bundle data: all three catalogues, the keyword files of the
// eleven folder-name languages and the country table.
#include "smart/SmartIconService.h"

#include "SmartTestSupport.h"
#include "catalogue/IconsModel.h"
#include "storage/BundleResources.h"
#include "storage/Preferences.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QStringList>

using namespace pigmo;
using namespace std::chrono_literals;

namespace {

const QStringList allLanguages = {"en", "fr", "it", "de", "es", "pt-BR", "zh-Hans", "ja", "ko", "ru", "cs"};

IndexSources bundleSources(const QStringList& languages)
{
    static const IconsModel catalogues(BundleResources::directory());
    return {{catalogues.lucideIcons(), catalogues.sfIcons(), catalogues.emojisIcons()},
            QSet<QString>(languages.cbegin(), languages.cend()),
            BundleResources::path(QStringLiteral("keywords"))};
}

IndexSources allLanguageSources()
{
    return bundleSources(allLanguages);
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
        service = new SmartIconService(allLanguageSources);
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

// Folder names as people write them, each with the glyphs that fit it (tests/data/smart/folder-names.tsv).
struct DecoratedName {
    QString language;
    QString name;
    QSet<QString> fits; // Lucide names or emoji
};

QList<DecoratedName> decoratedNames()
{
    QFile file(QStringLiteral(PIGMO_TEST_DATA_DIR "/smart/folder-names.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QHash<QString, QStringList> groups;
    QList<DecoratedName> names;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u"= ")) {
            QStringList glyphs = line.sliced(2).split(u' ', Qt::SkipEmptyParts);
            const QString group = glyphs.takeFirst();
            groups.insert(group, glyphs);
            continue;
        }
        const QStringList fields = line.split(u'\t');
        if (fields.size() != 3)
            return {};
        DecoratedName entry{fields[0], fields[1], {}};
        for (const QString& item : fields[2].split(u' ', Qt::SkipEmptyParts)) {
            for (const QString& glyph : item.startsWith(u'@') ? groups.value(item) : QStringList{item})
                entry.fits.insert(glyph);
        }
        names.append(entry);
    }
    return names;
}

// Whether the glyph proposed for a folder name fits: the proposal is no random pick, fits the name, and no
// glyph that does not fit ties with it (tied candidates come in no defined order).
bool proposalFits(SmartIconService& service, const DecoratedName& entry, QString& got)
{
    test::LogCapture log;
    const std::optional<Icon> icon = service.findIcon(entry.name, {});
    got = icon ? icon->emoji.value_or(icon->name) : QStringLiteral("nothing");
    if (!icon || log.contains(QStringLiteral("falling back to random icon")) || !entry.fits.contains(got))
        return false;
    const auto scored = service.scoreIcons(entry.name, LibrarySet{IconLibrary::lucide}, false);
    for (const auto& candidate : scored) {
        if (candidate.score < scored.front().score)
            break;
        if (!entry.fits.contains(candidate.key.section(u':', 1))) {
            got += QStringLiteral(" (tied with ") + candidate.key + u')';
            return false;
        }
    }
    return true;
}

// Checks that at least nine in ten of one language's names get a fitting glyph from `service`.
void expectFittingRate(SmartIconService& service, const QList<DecoratedName>& names, const QString& language,
                       const char* selection)
{
    int total = 0;
    int fitting = 0;
    QStringList misses;
    for (const DecoratedName& entry : names) {
        if (entry.language != language)
            continue;
        ++total;
        QString got;
        if (proposalFits(service, entry, got))
            ++fitting;
        else
            misses.append(entry.name + QString::fromUtf8(" → ") + got);
    }
    ASSERT_GE(total, 40) << language.toStdString();
    EXPECT_GE(fitting * 10, total * 9) << language.toStdString() << " (" << selection << "): " << fitting << "/"
                                       << total << " fit; misses: " << misses.join(u"; ").toStdString();
}

TEST_F(SmartIconServiceBundleTest, DecoratedFolderNamesFindFittingGlyphsWithAllLanguages)
{
    const QList<DecoratedName> names = decoratedNames();
    ASSERT_FALSE(names.isEmpty());
    for (const QString& language : allLanguages)
        expectFittingRate(*service, names, language, "all eleven languages");
}

TEST(SmartIconServiceOneLanguageTest, DecoratedFolderNamesFindFittingGlyphsWithTheirLanguageAndEnglish)
{
    const QList<DecoratedName> names = decoratedNames();
    ASSERT_FALSE(names.isEmpty());
    for (const QString& language : allLanguages) {
        SmartIconService service([language] { return bundleSources({QStringLiteral("en"), language}); });
        ASSERT_TRUE(service.waitUntilReady(60s));
        expectFittingRate(service, names, language, "with English");
    }
}

} // namespace

TEST(SmartIconServiceBundleSourcesTest, TheProgramsIndexReadsTheBundleAndTheStoredLanguages)
{
    Preferences::setValue(prefs::folderLanguages, QStringList{"de"});
    const IconsModel icons(BundleResources::directory());
    SmartIconService service(SmartIconService::bundleSources(icons));
    test::LogCapture log;
    ASSERT_TRUE(service.waitUntilReady(60s));
    EXPECT_TRUE(log.contains(QString::fromUtf8("🌐 Loading keywords for languages: de")));
    EXPECT_EQ(service.findIcon("Rechnungen", {})->name, "receipt");
}
