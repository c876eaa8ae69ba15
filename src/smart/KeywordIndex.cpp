#include "smart/KeywordIndex.h"

#include "model/Log.h"
#include "smart/KeywordFiles.h"
#include "smart/TextFolding.h"

#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <numeric>

namespace pigmo {
namespace {

constexpr uint32_t noKeyword = UINT32_MAX;
constexpr char16_t variationSelector16 = 0xFE0F;

// The distinct, non-empty pieces of a lower-cased name split at any of `separators`, in first-seen order.
QStringList nameTokens(const QString& name, QStringView separators)
{
    const QString lower = name.toLower();
    QStringList tokens;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= lower.size(); ++i) {
        if (i < lower.size() && !separators.contains(lower.at(i)))
            continue;
        if (i > start) {
            QString token = lower.mid(start, i - start);
            if (!tokens.contains(token))
                tokens.append(std::move(token));
        }
        start = i + 1;
    }
    return tokens;
}

QStringView separatorsOf(IconLibrary library)
{
    switch (library) {
    case IconLibrary::sf:
        return u".";
    case IconLibrary::emoji:
        return u" -_";
    default:
        return u"-";
    }
}

} // namespace

// Collects icons and postings while the sources are read, then freezes them into a KeywordIndex.
class KeywordIndexBuilder {
public:
    explicit KeywordIndexBuilder(const IndexSources& sources)
        : sources_(sources)
        , index_(new KeywordIndex)
    {
        index_->catalogues_ = sources.catalogues;
    }

    std::shared_ptr<const KeywordIndex> build()
    {
        QElapsedTimer timer;
        timer.start();
        log::system(QStringLiteral("[SmartIcon] 🔄 Building keyword index..."));
        addCatalogue(sources_.catalogues.lucide, IconLibrary::lucide);
        addCatalogue(sources_.catalogues.sf, IconLibrary::sf);
        addCatalogue(sources_.catalogues.emoji, IconLibrary::emoji);
        loadKeywordFiles();
        addNameTokens();
        freezeKeywords();
        loadCountryFlags();
        markBaseIcons();
        log::system(QStringLiteral("[SmartIcon] ✅ Keyword index built: %1 keywords, %2 icons in %3s")
                        .arg(index_->keywordCount())
                        .arg(index_->iconCount())
                        .arg(QString::asprintf("%.2f", static_cast<double>(timer.nsecsElapsed()) / 1e9)));
        return std::shared_ptr<const KeywordIndex>(index_.release());
    }

private:
    struct RawPosting {
        uint32_t keyword;
        uint32_t icon;
        int32_t relevance;
        bool fromNameToken;
    };

    static std::optional<QString> keyOf(const Icon& icon, IconLibrary library)
    {
        if (library != IconLibrary::emoji)
            return libraryName(library) + u':' + icon.name;
        if (!icon.emoji)
            return std::nullopt;
        return QStringLiteral("emoji:") + *icon.emoji;
    }

    // The lookup table: a later entry with the same key replaces the earlier one.
    void addCatalogue(const QList<Icon>& icons, IconLibrary library)
    {
        for (const Icon& icon : icons) {
            std::optional<QString> key = keyOf(icon, library);
            if (!key)
                continue;
            const auto [it, added] = tryInsertIcon(*key);
            KeywordIndex::IconEntry& entry = index_->icons_[it];
            if (!added)
                replacedKeys_.insert(*key);
            entry.icon = icon;
            entry.library = library;
        }
    }

    std::pair<uint32_t, bool> tryInsertIcon(const QString& key)
    {
        auto it = index_->iconPositions_.constFind(key);
        if (it != index_->iconPositions_.constEnd())
            return {it.value(), false};
        const auto position = static_cast<uint32_t>(index_->icons_.size());
        index_->icons_.push_back({key, {}, IconLibrary::lucide, {}, 1, false});
        index_->iconPositions_.insert(key, position);
        return {position, true};
    }

    void loadKeywordFiles()
    {
        QStringList languages(sources_.languages.cbegin(), sources_.languages.cend());
        languages.sort();
        log::system(QStringLiteral("[SmartIcon]   🌐 Loading keywords for languages: ") + languages.join(u", "));
        const QDir directory(sources_.keywordDirectory);
        for (const QString& code : std::as_const(languages)) {
            if (auto file = readKeywordFile(directory.filePath(QStringLiteral("lucide_keywords_%1.json").arg(code)))) {
                addKeywordFile(*file, [this](const QString& name) { return lucideIcon(name); });
                log::system(QStringLiteral("[SmartIcon]   📖 Loaded Lucide keywords (%1): %2 entries")
                                .arg(code)
                                .arg(file->entries.size()));
            }
            if (auto file = readKeywordFile(directory.filePath(QStringLiteral("emoji_keywords_%1.json").arg(code)))) {
                addKeywordFile(*file, [this](const QString& emoji) { return emojiIcon(emoji); });
                log::system(QStringLiteral("[SmartIcon]   📖 Loaded emoji keywords (%1): %2 entries")
                                .arg(code)
                                .arg(file->entries.size()));
            }
        }
    }

    std::optional<uint32_t> iconPosition(const QString& key) const
    {
        auto it = index_->iconPositions_.constFind(key);
        return it == index_->iconPositions_.constEnd() ? std::nullopt : std::optional(it.value());
    }

    // Keyword entries for names the catalogue lacks are never used.
    std::optional<uint32_t> lucideIcon(const QString& name) const
    {
        return iconPosition(QStringLiteral("lucide:") + name);
    }

    // An emoji listed with U+FE0F attaches to the catalogue's emoji written without it.
    std::optional<uint32_t> emojiIcon(const QString& emoji) const
    {
        if (auto position = iconPosition(QStringLiteral("emoji:") + emoji))
            return position;
        if (!emoji.contains(variationSelector16))
            return std::nullopt;
        QString bare = emoji;
        bare.remove(variationSelector16);
        return iconPosition(QStringLiteral("emoji:") + bare);
    }

    // Relevances merge by their maximum (never below 0), across languages and across keywords that
    // normalise to the same word.
    template <class Resolve>
    void addKeywordFile(const KeywordFile& file, Resolve&& resolve)
    {
        for (const KeywordFile::Entry& entry : file.entries) {
            const std::optional<uint32_t> icon = resolve(entry.name);
            if (!icon)
                continue;
            for (const auto& [keyword, relevance] : entry.keywords) {
                const uint32_t word = normalizedKeyword(keyword);
                if (word != noKeyword)
                    postings_.push_back({word, *icon, std::max(relevance, 0), false});
            }
        }
    }

    uint32_t normalizedKeyword(const QString& raw)
    {
        auto cached = normalized_.constFind(raw);
        if (cached != normalized_.constEnd())
            return cached.value();
        const QString word = text::normalizeKeyword(raw);
        const uint32_t id = word.isEmpty() ? noKeyword : intern(word);
        normalized_.insert(raw, id);
        return id;
    }

    uint32_t intern(const QString& word)
    {
        auto it = words_.constFind(word);
        if (it != words_.constEnd())
            return it.value();
        const auto id = static_cast<uint32_t>(index_->keywords_.size());
        index_->keywords_.push_back(word);
        words_.insert(word, id);
        return id;
    }

    void addNameTokens()
    {
        const auto addTokens = [&](const QList<Icon>& icons, IconLibrary library) {
            for (const Icon& icon : icons) {
                const std::optional<QString> key = keyOf(icon, library);
                if (!key)
                    continue;
                const uint32_t position = index_->iconPositions_.value(*key);
                KeywordIndex::IconEntry& entry = index_->icons_[position];
                entry.nameTokens = nameTokens(icon.name, separatorsOf(library));
                entry.tokenCount = std::max<int>(1, static_cast<int>(entry.nameTokens.size()));
                for (const QString& token : std::as_const(entry.nameTokens))
                    postings_.push_back({intern(token), position, -1, true});
            }
        };
        addTokens(sources_.catalogues.lucide, IconLibrary::lucide);
        addTokens(sources_.catalogues.sf, IconLibrary::sf);
        addTokens(sources_.catalogues.emoji, IconLibrary::emoji);
    }

    // Sorts the words, renumbers them in that order and groups the postings by word (a counting sort),
    // merging the postings of one word and icon.
    void freezeKeywords()
    {
        std::vector<QString>& words = index_->keywords_;
        std::vector<uint32_t> order(words.size());
        std::iota(order.begin(), order.end(), 0u);
        std::sort(order.begin(), order.end(), [&words](uint32_t a, uint32_t b) { return words[a] < words[b]; });
        std::vector<uint32_t> rank(words.size());
        std::vector<QString> sorted(words.size());
        for (uint32_t position = 0; position < order.size(); ++position) {
            rank[order[position]] = position;
            sorted[position] = std::move(words[order[position]]);
        }
        words = std::move(sorted);
        for (auto it = words_.begin(); it != words_.end(); ++it)
            it.value() = rank[it.value()];
        index_->keywordPositions_ = std::move(words_);
        groupPostings(rank);
    }

    void groupPostings(const std::vector<uint32_t>& rank)
    {
        const size_t wordCount = rank.size();
        std::vector<uint32_t> starts(wordCount + 1, 0);
        for (RawPosting& posting : postings_) {
            posting.keyword = rank[posting.keyword];
            ++starts[posting.keyword + 1];
        }
        std::partial_sum(starts.begin(), starts.end(), starts.begin());
        std::vector<RawPosting> grouped(postings_.size());
        std::vector<uint32_t> next(starts.begin(), starts.end() - 1);
        for (const RawPosting& posting : postings_)
            grouped[next[posting.keyword]++] = posting;
        postings_.clear();
        postings_.shrink_to_fit();

        index_->offsets_.assign(wordCount + 1, 0);
        index_->postings_.reserve(grouped.size());
        for (size_t word = 0; word < wordCount; ++word) {
            const auto first = grouped.begin() + starts[word];
            const auto last = grouped.begin() + starts[word + 1];
            std::sort(first, last, [](const RawPosting& a, const RawPosting& b) { return a.icon < b.icon; });
            for (auto it = first; it != last; ++it)
                mergePosting(word, *it);
            index_->offsets_[word + 1] = static_cast<uint32_t>(index_->postings_.size());
        }
    }

    void mergePosting(size_t word, const RawPosting& raw)
    {
        std::vector<KeywordIndex::Posting>& postings = index_->postings_;
        const bool sameIcon = postings.size() > index_->offsets_[word] && postings.back().icon == raw.icon;
        if (!sameIcon)
            postings.push_back({raw.icon, raw.relevance, false});
        KeywordIndex::Posting& posting = postings.back();
        posting.relevance = std::max(posting.relevance, raw.relevance);
        const KeywordIndex::IconEntry& icon = index_->icons_[raw.icon];
        // An icon listed twice in a catalogue keeps only its last name's tokens as name tokens.
        posting.isNameToken = replacedKeys_.contains(icon.key) ? icon.nameTokens.contains(index_->keywords_[word])
                                                               : posting.isNameToken || raw.fromNameToken;
    }

    void loadCountryFlags()
    {
        const auto file =
            readCountryFlagsFile(QDir(sources_.keywordDirectory).filePath(QStringLiteral("country_flags.json")));
        if (!file)
            return;
        for (const auto& [flag, names] : file->flags) {
            for (const QString& name : names) {
                const QString normalized = text::normalizeKeyword(name);
                if (!normalized.isEmpty())
                    index_->countryFlags_.insert(normalized, flag);
            }
        }
        log::system(QStringLiteral("[SmartIcon]   🏳️  Loaded country flags: %1 flags, %2 keywords")
                        .arg(file->flags.size())
                        .arg(index_->countryFlags_.size()));
    }

    void markBaseIcons()
    {
        for (KeywordIndex::IconEntry& entry : index_->icons_)
            entry.hasBaseIcon = index_->hasBaseIcon(entry.key);
    }

    const IndexSources& sources_;
    std::unique_ptr<KeywordIndex> index_;
    QSet<QString> replacedKeys_;
    QHash<QString, uint32_t> normalized_; // raw keyword -> word, or noKeyword when it normalises to nothing
    QHash<QString, uint32_t> words_;      // word -> position in index_->keywords_
    std::vector<RawPosting> postings_;
};

std::shared_ptr<const KeywordIndex> KeywordIndex::build(const IndexSources& sources)
{
    return KeywordIndexBuilder(sources).build();
}

const KeywordIndex::IconEntry* KeywordIndex::iconForKey(const QString& key) const
{
    auto it = iconPositions_.constFind(key);
    return it == iconPositions_.constEnd() ? nullptr : &icons_[it.value()];
}

std::span<const KeywordIndex::Posting> KeywordIndex::postings(const QString& word) const
{
    auto it = keywordPositions_.constFind(word);
    return it == keywordPositions_.constEnd() ? std::span<const Posting>() : postingsAt(it.value());
}

std::optional<QString> KeywordIndex::countryFlag(const QString& normalizedName) const
{
    auto it = countryFlags_.constFind(normalizedName);
    return it == countryFlags_.constEnd() ? std::nullopt : std::optional(it.value());
}

QStringList KeywordIndex::iconKeys(const QString& word) const
{
    QStringList keys;
    for (const Posting& posting : postings(word))
        keys.append(icons_[posting.icon].key);
    return keys;
}

std::optional<int> KeywordIndex::relevance(const QString& key, const QString& word) const
{
    auto icon = iconPositions_.constFind(key);
    if (icon == iconPositions_.constEnd())
        return std::nullopt;
    const uint32_t position = icon.value();
    for (const Posting& posting : postings(word)) {
        if (posting.icon == position && posting.relevance >= 0)
            return posting.relevance;
    }
    return std::nullopt;
}

bool KeywordIndex::hasBaseIcon(const QString& key) const
{
    const qsizetype colon = key.indexOf(u':');
    if (colon < 0)
        return false;
    const QStringView library = QStringView(key).left(colon);
    const QChar separator = library == u"sf" ? u'.' : u'-';
    const QStringView name = QStringView(key).mid(colon + 1);
    qsizetype pieces = 0;
    QStringView first;
    for (QStringView piece : name.split(separator, Qt::SkipEmptyParts)) {
        if (pieces++ == 0)
            first = piece;
    }
    if (pieces < 2)
        return false;
    return iconPositions_.contains(library.toString() + u':' + first.toString());
}

} // namespace pigmo
