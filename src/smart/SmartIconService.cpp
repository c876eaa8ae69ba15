#include "smart/SmartIconService.h"

#include "base/Log.h"
#include "catalogue/IconsModel.h"
#include "smart/QueryTokenizer.h"
#include "smart/SmartPreferences.h"
#include "smart/TextFolding.h"
#include "storage/BundleResources.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <malloc.h>
#include <tuple>

namespace pigmo {
namespace {

constexpr int neutralRelevance = 3;
constexpr double prefixFactor = 0.8;

struct BestWordMatch {
    const QString* keyword = nullptr; // owned by the index snapshot the scoring reads
    double rawScore = 0;
    bool isNameMatch = false;
    int relevance = 0;
    double weightedScore = 0;
};

// Scores the icons of one index snapshot against the words of one text.
class Scorer {
public:
    Scorer(const KeywordIndex& index, const std::optional<LibrarySet>& libraries)
        : index_(index)
        , libraries_(libraries)
    {
    }

    // The best `limit` candidates (all of them for a negative limit), best first; equal scores keep the
    // order in which their icons were first matched.
    QList<SmartIconService::ScoredIcon> rank(const QStringList& words, bool allowPrefix, qsizetype limit)
    {
        wordCount_ = static_cast<size_t>(words.size());
        for (size_t word = 0; word < wordCount_; ++word) {
            const QString& text = words[static_cast<qsizetype>(word)];
            matchExact(word, text);
            if (allowPrefix && text::hasAtLeastGraphemes(text, 2))
                matchPrefixes(word, text);
        }
        return ranked(words, limit);
    }

private:
    struct Candidate {
        uint32_t row;
        double score;
        double rawScore;
    };

    bool accepts(const KeywordIndex::IconEntry& icon) const
    {
        return !libraries_ || libraries_->contains(icon.library);
    }

    void matchExact(size_t word, const QString& text)
    {
        for (const KeywordIndex::Posting& posting : index_.postings(text)) {
            if (!accepts(index_.iconAt(posting.icon)))
                continue;
            const int relevance = posting.relevance >= 0 ? posting.relevance : neutralRelevance;
            const double weighted = posting.isNameToken ? 1.0 : relevance / 3.0 * SmartIconService::tagMatchWeight;
            record(posting.icon, word, {&text, 1.0, posting.isNameToken, relevance, weighted});
        }
    }

    void matchPrefixes(size_t word, const QString& text)
    {
        index_.forEachExtension(text, [&](const QString& keyword, std::span<const KeywordIndex::Posting> postings) {
            for (const KeywordIndex::Posting& posting : postings) {
                if (!accepts(index_.iconAt(posting.icon)))
                    continue;
                const int relevance = posting.relevance >= 0 ? posting.relevance : neutralRelevance;
                const double weighted = posting.isNameToken
                                            ? prefixFactor
                                            : relevance / 3.0 * (SmartIconService::tagMatchWeight * prefixFactor);
                record(posting.icon, word, {&keyword, prefixFactor, posting.isNameToken, relevance, weighted});
            }
        });
    }

    // Keeps, per icon and word, the match with the strictly highest weighted score above 0.
    void record(uint32_t icon, size_t word, const BestWordMatch& match)
    {
        auto row = rows_.constFind(icon);
        if (row == rows_.constEnd()) {
            if (match.weightedScore <= 0)
                return;
            row = rows_.insert(icon, static_cast<uint32_t>(rowIcons_.size()));
            rowIcons_.push_back(icon);
            cells_.resize(cells_.size() + wordCount_);
        }
        BestWordMatch& best = cells_[row.value() * wordCount_ + word];
        if (best.keyword ? match.weightedScore > best.weightedScore : match.weightedScore > 0)
            best = match;
    }

    QList<SmartIconService::ScoredIcon> ranked(const QStringList& words, qsizetype limit) const
    {
        std::vector<Candidate> candidates;
        candidates.reserve(rowIcons_.size());
        for (uint32_t row = 0; row < rowIcons_.size(); ++row) {
            double total = 0;
            for (size_t word = 0; word < wordCount_; ++word)
                total += cells_[row * wordCount_ + word].weightedScore;
            const double rawScore = total / static_cast<double>(wordCount_);
            const KeywordIndex::IconEntry& icon = index_.iconAt(rowIcons_[row]);
            const bool variant = icon.tokenCount >= 2 && icon.hasBaseIcon;
            const double factor = 1.0 / ((icon.tokenCount - 1) * SmartIconService::compactnessAlpha + 1.0);
            candidates.push_back({row, variant ? rawScore * factor : rawScore, rawScore});
        }
        const auto better = [](const Candidate& a, const Candidate& b) {
            return a.score != b.score ? a.score > b.score : a.row < b.row;
        };
        const auto count = static_cast<size_t>(limit < 0 ? qsizetype(candidates.size())
                                                         : std::min<qsizetype>(limit, qsizetype(candidates.size())));
        std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(count), candidates.end(),
                          better);
        QList<SmartIconService::ScoredIcon> result;
        result.reserve(static_cast<qsizetype>(count));
        for (size_t i = 0; i < count; ++i)
            result.append(scored(candidates[i], words));
        return result;
    }

    SmartIconService::ScoredIcon scored(const Candidate& candidate, const QStringList& words) const
    {
        const KeywordIndex::IconEntry& icon = index_.iconAt(rowIcons_[candidate.row]);
        SmartIconService::ScoredIcon result{icon.key, candidate.score, candidate.rawScore, icon.tokenCount, {}};
        result.wordMatches.reserve(static_cast<qsizetype>(wordCount_));
        for (size_t word = 0; word < wordCount_; ++word) {
            const BestWordMatch& best = cells_[candidate.row * wordCount_ + word];
            const QString& queryWord = words[static_cast<qsizetype>(word)];
            if (best.keyword)
                result.wordMatches.append(
                    {queryWord, *best.keyword, best.rawScore, best.isNameMatch, best.relevance, best.weightedScore});
            else
                result.wordMatches.append({queryWord, std::nullopt, 0, false, 0, 0});
        }
        return result;
    }

    const KeywordIndex& index_;
    const std::optional<LibrarySet>& libraries_;
    size_t wordCount_ = 0;
    QHash<uint32_t, uint32_t> rows_;   // icon position -> row
    std::vector<uint32_t> rowIcons_;   // row -> icon position, in order of first match
    std::vector<BestWordMatch> cells_; // row * wordCount_ + word
};

QList<SmartIconService::ScoredIcon> rankIcons(const KeywordIndex* index, const QString& text,
                                              const std::optional<LibrarySet>& libraries, bool allowPrefix,
                                              qsizetype limit)
{
    if (!index)
        return {};
    const QStringList words = tokenize(text);
    if (words.isEmpty())
        return {};
    return Scorer(*index, libraries).rank(words, allowPrefix, limit);
}

// "photo→photos*, album→∅": per query word the matched keyword, "*" for a keyword-file match.
QString matchSummary(const SmartIconService::ScoredIcon& candidate)
{
    QStringList items;
    for (const SmartIconService::QueryWordMatch& match : candidate.wordMatches) {
        if (match.matchedKeyword)
            items.append(match.queryWord + u'→' + *match.matchedKeyword +
                         (match.isNameMatch ? QString() : QStringLiteral("*")));
        else
            items.append(match.queryWord + QStringLiteral("→∅"));
    }
    return items.join(u", ");
}

// Code points in the letter and mark categories.
int letterCount(const QString& text)
{
    int count = 0;
    for (const uint point : text.toUcs4()) {
        switch (QChar::category(point)) {
        case QChar::Letter_Uppercase:
        case QChar::Letter_Lowercase:
        case QChar::Letter_Titlecase:
        case QChar::Letter_Modifier:
        case QChar::Letter_Other:
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
            ++count;
            break;
        default:
            break;
        }
    }
    return count;
}

} // namespace

SmartIconService::SourcesProvider SmartIconService::bundleSources(const IconsModel& icons)
{
    // The catalogues are taken on the build's worker, where they load (on the first build) while the keyword
    // files are read.
    return [&icons] {
        return IndexSources{
            {}, smart::selectedFolderLanguages(), BundleResources::path(QStringLiteral("keywords")), [&icons] {
                return IconCatalogues{icons.lucideIcons(), icons.sfIcons(), icons.emojisIcons()};
            }};
    };
}

SmartIconService::SmartIconService(SourcesProvider sources, QObject* parent)
    : QObject(parent)
    , sources_(std::move(sources))
{
}

SmartIconService::~SmartIconService()
{
    shutdown();
}

void SmartIconService::shutdown()
{
    {
        MutexLock lock(mutex_);
        stopping_ = true;
    }
    stateChanged_.notify_all(); // ends a test delay at once
    buildQueue_.shutdown();
}

void SmartIconService::buildIndexIfNeeded()
{
    {
        MutexLock lock(mutex_);
        if (ready_ || loading_)
            return;
        loading_ = true;
    }
    buildQueue_.submit([this] { runBuild(); });
}

void SmartIconService::rebuildIndex()
{
    buildQueue_.submit([this] {
        {
            MutexLock lock(mutex_);
            ready_ = false;
            loading_ = true;
        }
        runBuild();
    });
}

void SmartIconService::runBuild()
{
    const std::chrono::milliseconds delay(buildDelayMs_.load());
    if (delay.count() > 0) {
        const auto deadline = std::chrono::steady_clock::now() + delay;
        MutexLock lock(mutex_);
        while (!stopping_) {
            if (lock.waitUntil(stateChanged_, deadline) == std::cv_status::timeout)
                break;
        }
        if (stopping_)
            return;
    }
    std::shared_ptr<const KeywordIndex> index = KeywordIndex::build(sources_());
    // A build leaves megabytes of freed temporaries (parsed files, unsorted postings) spread over the
    // heaps: they go back to the system instead of raising every later peak.
    malloc_trim(0);
    {
        MutexLock lock(mutex_);
        latest_ = std::move(index);
        ready_ = true;
        loading_ = false;
    }
    stateChanged_.notify_all();
    Q_EMIT indexReady();
}

bool SmartIconService::isReady() const
{
    MutexLock lock(mutex_);
    return ready_;
}

bool SmartIconService::isLoading() const
{
    MutexLock lock(mutex_);
    return loading_;
}

bool SmartIconService::waitUntilReady(std::chrono::milliseconds timeout)
{
    buildIndexIfNeeded();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    MutexLock lock(mutex_);
    while (!ready_) {
        if (lock.waitUntil(stateChanged_, deadline) == std::cv_status::timeout)
            break;
    }
    return ready_;
}

std::shared_ptr<const KeywordIndex> SmartIconService::index() const
{
    MutexLock lock(mutex_);
    return ready_ ? latest_ : nullptr;
}

void SmartIconService::setBuildDelayForTesting(std::chrono::milliseconds delay)
{
    buildDelayMs_.store(delay.count());
}

std::optional<Icon> SmartIconService::findIcon(const QString& folderName,
                                               const SmartSiblingAnalysis::LibraryCounts& siblingGlyphs)
{
    log::system(QStringLiteral("[SmartIcon] 🔍 Searching icon for folder: '") + folderName + u'\'');
    const std::shared_ptr<const KeywordIndex> snapshot = index();
    if (!snapshot) {
        log::system(QStringLiteral("[SmartIcon] ⏳ Not ready yet (still loading)"));
        buildIndexIfNeeded();
        return std::nullopt;
    }

    const QString normalized = text::normalizeKeyword(folderName);
    if (const std::optional<QString> flag = snapshot->countryFlag(normalized)) {
        if (const KeywordIndex::IconEntry* entry = snapshot->iconForKey(QStringLiteral("emoji:") + *flag)) {
            log::system(QStringLiteral("[SmartIcon]   🏳️  Country-flag override matched '") + normalized +
                        QStringLiteral("' → ") + *flag);
            return entry->icon;
        }
    }

    const LibrarySet libraries = majorityLibrary(siblingGlyphs);
    const QList<ScoredIcon> top = rankIcons(snapshot.get(), folderName, libraries, false, 10);
    log::system(QStringLiteral("[SmartIcon]   📊 Top 10 matches:"));
    for (qsizetype i = 0; i < top.size(); ++i) {
        log::system(QStringLiteral("[SmartIcon]     %1. %2 (score: %3, via: %4)")
                        .arg(i + 1)
                        .arg(top[i].key, QString::asprintf("%.3f", top[i].score), matchSummary(top[i])));
    }
    if (!top.isEmpty()) {
        if (const KeywordIndex::IconEntry* entry = snapshot->iconForKey(top.front().key)) {
            log::system(QStringLiteral("[SmartIcon]   → Selected: '%1' (score: %2)")
                            .arg(top.front().key, QString::asprintf("%.3f", top.front().score)));
            return entry->icon;
        }
    }

    const int letters = letterCount(folderName);
    if (letters >= 4) {
        log::system(QStringLiteral("[SmartIcon] ❌ No matches found, falling back to random icon"));
        return randomIcon(libraries);
    }
    log::system(QStringLiteral("[SmartIcon] ❌ No matches found, skipping random fallback (only %1 letters in name)")
                    .arg(letters));
    return std::nullopt;
}

QList<SmartIconService::IconMatch> SmartIconService::searchIcons(const QString& query, int limit, LibraryFilter library,
                                                                 bool allowPrefix) const
{
    const std::shared_ptr<const KeywordIndex> snapshot = index();
    if (!snapshot || limit <= 0)
        return {};
    QList<IconMatch> matches;
    for (const ScoredIcon& candidate : rankIcons(snapshot.get(), query, librariesFor(library), allowPrefix, limit)) {
        const KeywordIndex::IconEntry* entry = snapshot->iconForKey(candidate.key);
        if (!entry)
            continue;
        matches.append({QUuid::createUuid(), entry->icon, candidate.score, candidate.rawScore, candidate.tokenCount,
                        libraryName(entry->library), candidate.wordMatches});
    }
    return matches;
}

QList<SmartIconService::ScoredIcon>
SmartIconService::scoreIcons(const QString& text, const std::optional<LibrarySet>& libraries, bool allowPrefix) const
{
    return rankIcons(index().get(), text, libraries, allowPrefix, -1);
}

LibrarySet SmartIconService::majorityLibrary(const SmartSiblingAnalysis::LibraryCounts& siblingGlyphs) const
{
    constexpr std::array libraries = {IconLibrary::lucide, IconLibrary::sf, IconLibrary::emoji, IconLibrary::custom};
    static_assert(libraries.size() == std::tuple_size_v<SmartSiblingAnalysis::LibraryCounts>);
    const auto highest = std::max_element(siblingGlyphs.begin(), siblingGlyphs.end());
    const bool strict = std::count(siblingGlyphs.begin(), siblingGlyphs.end(), *highest) == 1;
    const IconLibrary winner = libraries[static_cast<size_t>(highest - siblingGlyphs.begin())];
    if (strict && winner != IconLibrary::custom) {
        log::system(
            QStringLiteral("[SmartIcon]   📚 Majority library: %1 (%2 icons)").arg(libraryName(winner)).arg(*highest));
        return {winner};
    }
    const IconLibrary preferred = smart::preferredIconLibrary();
    log::system(QStringLiteral("[SmartIcon]   📚 No sibling signal, using preference: ") + libraryName(preferred));
    return {preferred};
}

std::optional<Icon> SmartIconService::randomIcon(const std::optional<LibrarySet>& library) const
{
    std::shared_ptr<const KeywordIndex> latest;
    {
        MutexLock lock(mutex_);
        latest = latest_;
    }
    const IconCatalogues catalogues = latest ? latest->catalogues() : sources_().catalogues;
    const IconLibrary chosen = library ? library->first().value_or(IconLibrary::lucide) : IconLibrary::lucide;
    const QList<Icon>& icons = chosen == IconLibrary::sf      ? catalogues.sf
                               : chosen == IconLibrary::emoji ? catalogues.emoji
                                                              : catalogues.lucide;
    if (icons.isEmpty())
        return std::nullopt;
    return icons.at(static_cast<qsizetype>(QRandomGenerator::global()->bounded(static_cast<quint64>(icons.size()))));
}

bool SmartIconService::hasBaseIcon(const QString& key) const
{
    const std::shared_ptr<const KeywordIndex> snapshot = index();
    return snapshot && snapshot->hasBaseIcon(key);
}

} // namespace pigmo
