#include "smart/KeywordIndex.h"

#include "base/Log.h"
#include "smart/KeywordFiles.h"
#include "smart/TextFolding.h"

#include <QDir>
#include <QElapsedTimer>
#include <QVarLengthArray>

#include <algorithm>
#include <future>
#include <numeric>

namespace pigmo {
namespace {

constexpr char16_t variationSelector16 = 0xFE0F;

// The first four UTF-16 units, most significant first, padded with zeros: ordering these keys agrees with
// ordering the words (a shorter word sorts first only where zero padding does, and ties fall back to the
// full comparison).
uint64_t sortKey(const QString& word)
{
    uint64_t key = 0;
    for (qsizetype i = 0; i < 4; ++i)
        key = (key << 16) | (i < word.size() ? word.at(i).unicode() : 0u);
    return key;
}

// "<library>:<name>" in a buffer on the stack, for looking a key up without building a QString.
class KeyProbe {
public:
    KeyProbe(QStringView library, QStringView name)
    {
        text_.append(library.data(), library.size());
        text_.append(QChar(u':'));
        text_.append(name.data(), name.size());
    }
    QStringView view() const { return {text_.constData(), text_.size()}; }

private:
    QVarLengthArray<QChar, 96> text_;
};

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
        // Typical sizes of the bundle's eleven languages; growing beyond costs only a rehash.
        postings_.reserve(262144);
    }

    std::shared_ptr<const KeywordIndex> build()
    {
        QElapsedTimer timer;
        timer.start();
        log::system(QStringLiteral("[SmartIcon] 🔄 Building keyword index..."));
        startKeywordFileLoads(); // the files do not depend on the catalogues: read them meanwhile
        // The words of the files do not depend on the catalogues either: numbered on a helper thread while the
        // catalogues load and fill the icon table, which the numbering does not touch.
        std::future<void> numbering = std::async(std::launch::async, [this] { numberKeywordFiles(); });
        takeCatalogues();
        startCountryFlagsLoad();
        const IconCatalogues& catalogues = index_->catalogues_;
        addCatalogue(catalogues.lucide, IconLibrary::lucide);
        addCatalogue(catalogues.sf, IconLibrary::sf);
        addCatalogue(catalogues.emoji, IconLibrary::emoji);
        // The catalogues' own words are found meanwhile. The order in which words and postings arrive changes
        // nothing: the words are sorted and each word's postings merged.
        std::future<NameTokens> nameTokens = std::async(std::launch::async, [this] { return findNameTokens(); });
        numbering.get();
        loadKeywordFiles();
        addNameTokens(nameTokens.get());
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

    void takeCatalogues()
    {
        index_->catalogues_ = sources_.loadCatalogues ? sources_.loadCatalogues() : sources_.catalogues;
        const IconCatalogues& catalogues = index_->catalogues_;
        const auto icons =
            static_cast<size_t>(catalogues.lucide.size() + catalogues.sf.size() + catalogues.emoji.size());
        index_->icons_.reserve(icons);
        index_->iconPositions_.reserve(icons);
    }

    static std::optional<QString> keyOf(const Icon& icon, IconLibrary library)
    {
        if (library != IconLibrary::emoji)
            return libraryName(library) + u':' + icon.name;
        if (!icon.emoji)
            return std::nullopt;
        return QStringLiteral("emoji:") + *icon.emoji;
    }

    // The lookup table: a later entry with the same key replaces the earlier one. Records where each catalogue
    // entry went, for the name tokens.
    void addCatalogue(const QList<Icon>& icons, IconLibrary library)
    {
        std::vector<uint32_t>& positions = cataloguePositions_[static_cast<size_t>(library)];
        positions.reserve(static_cast<size_t>(icons.size()));
        for (const Icon& icon : icons) {
            std::optional<QString> key = keyOf(icon, library);
            if (!key) {
                positions.push_back(noIcon);
                continue;
            }
            const auto [it, added] = tryInsertIcon(*key);
            positions.push_back(it);
            replaced_.resize(index_->icons_.size(), false);
            if (!added)
                replaced_[it] = true;
            KeywordIndex::IconEntry& entry = index_->icons_[it];
            entry.icon = icon;
            entry.library = library;
        }
    }

    std::pair<uint32_t, bool> tryInsertIcon(const QString& key)
    {
        const auto position = static_cast<uint32_t>(index_->icons_.size());
        const auto [it, added] = index_->iconPositions_.try_emplace(key, position);
        if (added)
            index_->icons_.push_back({key, {}, IconLibrary::lucide, {}, 1, false});
        return {it->second, added};
    }

    // One keyword file as the merge takes it: normalised, its empty words dropped, and every word numbered on
    // the loader thread, so that the merge looks each distinct word up once instead of once per keyword.
    struct PreparedFile {
        using Entry = NumberedKeywordFile::Entry; // keywords: (position in `words`, relevance of at least 0)
        std::vector<QString> words;               // distinct, in the order first seen
        TextMap<uint32_t> numbers;                // word -> position in `words`
        std::vector<Entry> entries;
        size_t fileEntries = 0; // the file's entries, each counted
    };

    static std::optional<PreparedFile> readPrepared(const QString& path)
    {
        std::optional<NumberedKeywordFile> file = readNumberedKeywordFile(path);
        if (!file)
            return std::nullopt;
        PreparedFile prepared;
        // Keywords as written -> normalised words; several may normalise alike, an empty one is dropped.
        constexpr uint32_t dropped = UINT32_MAX;
        std::vector<uint32_t> wordOf;
        wordOf.reserve(file->words.size());
        TextMap<uint32_t>& numbers = prepared.numbers;
        numbers.reserve(file->words.size());
        for (const QString& keyword : file->words) {
            QString word = text::normalizeKeyword(keyword);
            if (word.isEmpty()) {
                wordOf.push_back(dropped);
                continue;
            }
            const auto [it, added] = numbers.try_emplace(word, static_cast<uint32_t>(prepared.words.size()));
            if (added)
                prepared.words.push_back(std::move(word));
            wordOf.push_back(it->second);
        }
        prepared.fileEntries = file->entries.size();
        // Each entry's keywords are renumbered where they are.
        prepared.entries = std::move(file->entries);
        for (PreparedFile::Entry& entry : prepared.entries) {
            auto kept = entry.keywords.begin();
            for (const auto& [keyword, relevance] : entry.keywords) {
                if (wordOf[keyword] != dropped)
                    *kept++ = {wordOf[keyword], std::max(relevance, 0)};
            }
            entry.keywords.erase(kept, entry.keywords.end());
        }
        return prepared;
    }

    using FileLoad = std::future<std::optional<PreparedFile>>;

    // Reading and normalising run for all languages at once, started before anything else; merging and
    // logging then follow in the order of the sorted language codes.
    void startKeywordFileLoads()
    {
        languages_ = QStringList(sources_.languages.cbegin(), sources_.languages.cend());
        languages_.sort();
        const QDir directory(sources_.keywordDirectory);
        const auto load = [&directory](const QString& name) {
            return std::async(std::launch::async, readPrepared, directory.filePath(name));
        };
        for (const QString& code : std::as_const(languages_)) {
            loads_.emplace_back(load(QStringLiteral("lucide_keywords_%1.json").arg(code)),
                                load(QStringLiteral("emoji_keywords_%1.json").arg(code)));
        }
    }

    // A keyword file as read, with its words' numbers among the index's words.
    struct NumberedFile {
        std::optional<PreparedFile> file;
        std::vector<uint32_t> numbers; // per position in `file->words`
    };

    // Takes every file as it arrives, in the order of the languages, and numbers its words.
    void numberKeywordFiles()
    {
        const auto number = [this](FileLoad& load) {
            NumberedFile numbered{load.get(), {}};
            if (!numbered.file)
                return numbered;
            PreparedFile& file = *numbered.file;
            numbered.numbers.resize(file.words.size());
            if (index_->keywords_.empty()) {
                // The first file's table numbers its words as interning them would: it becomes the index's.
                std::iota(numbered.numbers.begin(), numbered.numbers.end(), 0u);
                index_->keywords_ = std::move(file.words);
                words_ = std::move(file.numbers);
                words_.reserve(wordsExpected); // the typical size of the bundle's eleven languages
            } else {
                std::transform(file.words.cbegin(), file.words.cend(), numbered.numbers.begin(),
                               [this](const QString& word) { return intern(word); });
            }
            file.words = {};
            file.numbers = {};
            return numbered;
        };
        files_.reserve(loads_.size());
        for (auto& [lucide, emoji] : loads_) {
            NumberedFile lucideFile = number(lucide);
            files_.emplace_back(std::move(lucideFile), number(emoji));
        }
        loads_.clear();
        words_.reserve(wordsExpected); // for the catalogues' words, when no file was read
    }

    void loadKeywordFiles()
    {
        const QStringList& languages = languages_;
        log::system(QStringLiteral("[SmartIcon]   🌐 Loading keywords for languages: ") + languages.join(u", "));
        for (qsizetype i = 0; i < languages.size(); ++i) {
            auto& [lucide, emoji] = files_[static_cast<size_t>(i)];
            if (lucide.file) {
                addKeywordFile(lucide, [this](const QString& name) { return lucideIcon(name); });
                log::system(QStringLiteral("[SmartIcon]   📖 Loaded Lucide keywords (%1): %2 entries")
                                .arg(languages[i])
                                .arg(lucide.file->fileEntries));
            }
            if (emoji.file) {
                addKeywordFile(emoji, [this](const QString& emoji) { return emojiIcon(emoji); });
                log::system(QStringLiteral("[SmartIcon]   📖 Loaded emoji keywords (%1): %2 entries")
                                .arg(languages[i])
                                .arg(emoji.file->fileEntries));
            }
            lucide = {};
            emoji = {};
        }
    }

    std::optional<uint32_t> iconPosition(QStringView library, QStringView name) const
    {
        const KeyProbe key(library, name);
        auto it = index_->iconPositions_.find(key.view());
        return it == index_->iconPositions_.end() ? std::nullopt : std::optional(it->second);
    }

    // Keyword entries for names the catalogue lacks are never used.
    std::optional<uint32_t> lucideIcon(const QString& name) const { return iconPosition(u"lucide", name); }

    // An emoji listed with U+FE0F attaches to the catalogue's emoji written without it.
    std::optional<uint32_t> emojiIcon(const QString& emoji) const
    {
        if (auto position = iconPosition(u"emoji", emoji))
            return position;
        if (!emoji.contains(variationSelector16))
            return std::nullopt;
        QString bare = emoji;
        bare.remove(variationSelector16);
        return iconPosition(u"emoji", bare);
    }

    // Relevances merge by their maximum (never below 0), across languages and across keywords that normalise
    // to the same word.
    template <class Resolve>
    void addKeywordFile(const NumberedFile& numbered, Resolve&& resolve)
    {
        const std::vector<uint32_t>& numbers = numbered.numbers;
        for (const PreparedFile::Entry& entry : numbered.file->entries) {
            const std::optional<uint32_t> icon = resolve(entry.name);
            if (!icon)
                continue;
            for (const auto& [word, relevance] : entry.keywords)
                postings_.push_back({numbers[word], *icon, relevance, false});
        }
    }

    // The word's number; a word not seen before is copied into the index only then.
    uint32_t intern(QStringView word)
    {
        if (auto it = words_.find(word); it != words_.end())
            return it->second;
        const auto number = static_cast<uint32_t>(index_->keywords_.size());
        const QString& stored = index_->keywords_.emplace_back(word.toString());
        words_.emplace(stored, number);
        return number;
    }

    // The catalogues' own words, found on a helper thread while the keyword files merge: numbered in a table
    // of their own, then numbered again among the index's words.
    struct NameTokens {
        std::vector<QString> words;       // distinct, in the order first seen
        std::vector<RawPosting> postings; // `keyword` is a position in `words`
        // Per icon, in catalogue order: the words of the name it keeps (its last one).
        std::vector<std::pair<uint32_t, QVarLengthArray<uint32_t, 4>>> own;
    };

    // Every catalogue entry in catalogue order. An icon listed twice gets postings for the tokens of every
    // name it was listed with, and keeps the tokens of its last name as its own. Reads only the catalogues and
    // the icon table, which nothing changes meanwhile.
    NameTokens findNameTokens() const
    {
        NameTokens found;
        TextMap<uint32_t> numbers;
        const auto number = [&](QStringView word) {
            if (auto it = numbers.find(word); it != numbers.end())
                return it->second;
            const auto position = static_cast<uint32_t>(found.words.size());
            numbers.emplace(found.words.emplace_back(word.toString()), position);
            return position;
        };
        const IconCatalogues& catalogues = index_->catalogues_;
        for (const auto& [icons, library] :
             {std::pair{&catalogues.lucide, IconLibrary::lucide}, std::pair{&catalogues.sf, IconLibrary::sf},
              std::pair{&catalogues.emoji, IconLibrary::emoji}}) {
            const std::vector<uint32_t>& positions = cataloguePositions_[static_cast<size_t>(library)];
            for (qsizetype i = 0; i < icons->size(); ++i) {
                const uint32_t position = positions[static_cast<size_t>(i)];
                if (position == noIcon)
                    continue;
                const QString& name = (*icons)[i].name;
                QVarLengthArray<uint32_t, 4> words = nameTokens(name, separatorsOf(library), number);
                for (const uint32_t word : words)
                    found.postings.push_back({word, position, -1, true});
                if (name == index_->icons_[position].icon.name)
                    found.own.emplace_back(position, std::move(words));
            }
        }
        return found;
    }

    // The distinct, non-empty pieces of the lower-cased name split at any of `separators`, as `number` numbers
    // them, in first-seen order.
    template <class Number>
    static QVarLengthArray<uint32_t, 4> nameTokens(const QString& name, QStringView separators, Number&& number)
    {
        const QString lower = hasNoUpperCase(name) ? name : name.toLower();
        const auto isSeparator = [separators](QChar ch) {
            return std::find(separators.begin(), separators.end(), ch) != separators.end();
        };
        QVarLengthArray<uint32_t, 4> words;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= lower.size(); ++i) {
            if (i < lower.size() && !isSeparator(lower.at(i)))
                continue;
            const QStringView token = QStringView(lower).mid(start, i - start);
            start = i + 1;
            if (token.isEmpty())
                continue;
            const uint32_t word = number(token);
            if (std::find(words.begin(), words.end(), word) == words.end())
                words.append(word);
        }
        return words;
    }

    // Plain ASCII without A-Z, which lower-casing leaves as it is.
    static bool hasNoUpperCase(const QString& text)
    {
        return std::all_of(text.cbegin(), text.cend(), [](QChar ch) {
            return ch.unicode() < 0x80 && (ch.unicode() < u'A' || ch.unicode() > u'Z');
        });
    }

    // Takes the found words among the index's words and gives each icon its own name tokens (each the index's
    // own copy of that word).
    void addNameTokens(const NameTokens& found)
    {
        std::vector<uint32_t> numbers;
        numbers.reserve(found.words.size());
        for (const QString& word : found.words)
            numbers.push_back(intern(word));
        for (RawPosting posting : found.postings) {
            posting.keyword = numbers[posting.keyword];
            postings_.push_back(posting);
        }
        for (const auto& [position, words] : found.own) {
            QStringList tokens;
            tokens.reserve(words.size());
            for (const uint32_t word : words)
                tokens.append(index_->keywords_[numbers[word]]);
            KeywordIndex::IconEntry& entry = index_->icons_[position];
            entry.tokenCount = std::max<int>(1, static_cast<int>(tokens.size()));
            entry.nameTokens = std::move(tokens);
        }
    }

    // Sorts the words, renumbers them in that order and groups the postings by word (a counting sort),
    // merging the postings of one word and icon.
    void freezeKeywords()
    {
        std::vector<QString>& words = index_->keywords_;
        // Sorting compares a packed key of the first four UTF-16 units first; only equal keys compare the
        // whole words. The order is exactly QString's (UTF-16 code units).
        std::vector<std::pair<uint64_t, uint32_t>> order(words.size());
        for (uint32_t i = 0; i < words.size(); ++i)
            order[i] = {sortKey(words[i]), i};
        std::sort(order.begin(), order.end(), [&words](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : words[a.second] < words[b.second];
        });
        std::vector<uint32_t> rank(words.size());
        std::vector<QString> sorted(words.size());
        for (uint32_t position = 0; position < order.size(); ++position) {
            rank[order[position].second] = position;
            sorted[position] = std::move(words[order[position].second]);
        }
        words = std::move(sorted);
        for (auto& [word, position] : words_)
            position = rank[position];
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
        posting.isNameToken = replaced_[raw.icon] ? icon.nameTokens.contains(index_->keywords_[word])
                                                  : posting.isNameToken || raw.fromNameToken;
    }

    struct CountryFlags {
        TextMap<QString> byName; // normalised name or alias -> flag; a later flag takes a name over
        size_t flags = 0;        // the file's flags, each counted
    };

    static std::optional<CountryFlags> readCountryFlags(const QString& path)
    {
        const std::optional<CountryFlagsFile> file = readCountryFlagsFile(path);
        if (!file)
            return std::nullopt;
        CountryFlags table;
        table.flags = file->flags.size();
        for (const auto& [flag, names] : file->flags) {
            for (const QString& name : names) {
                QString normalized = text::normalizeKeyword(name);
                if (!normalized.isEmpty())
                    table.byName.insert_or_assign(std::move(normalized), flag);
            }
        }
        return table;
    }

    // The country table depends on nothing else: it is read on its own thread from the start.
    void startCountryFlagsLoad()
    {
        countryFlags_ = std::async(std::launch::async, readCountryFlags,
                                   QDir(sources_.keywordDirectory).filePath(QStringLiteral("country_flags.json")));
    }

    void loadCountryFlags()
    {
        std::optional<CountryFlags> table = countryFlags_.get();
        if (!table)
            return;
        index_->countryFlags_ = std::move(table->byName);
        log::system(QStringLiteral("[SmartIcon]   🏳️  Loaded country flags: %1 flags, %2 keywords")
                        .arg(table->flags)
                        .arg(index_->countryFlags_.size()));
    }

    void markBaseIcons()
    {
        for (KeywordIndex::IconEntry& entry : index_->icons_)
            entry.hasBaseIcon = index_->hasBaseIcon(entry.key);
    }

    const IndexSources& sources_;
    std::unique_ptr<KeywordIndex> index_;
    static constexpr uint32_t noIcon = UINT32_MAX;
    static constexpr size_t wordsExpected = 65536;
    std::vector<bool> replaced_;                  // per icon: listed more than once in its catalogue
    std::vector<uint32_t> cataloguePositions_[3]; // per library and catalogue entry: its icon, or noIcon
    TextMap<uint32_t> words_;                     // word -> position in index_->keywords_
    std::vector<RawPosting> postings_;
    QStringList languages_;                                    // the sorted language codes
    std::vector<std::pair<FileLoad, FileLoad>> loads_;         // per language: its Lucide and emoji files
    std::vector<std::pair<NumberedFile, NumberedFile>> files_; // the same, read and numbered
    std::future<std::optional<CountryFlags>> countryFlags_;
};

std::shared_ptr<const KeywordIndex> KeywordIndex::build(const IndexSources& sources)
{
    return KeywordIndexBuilder(sources).build();
}

const KeywordIndex::IconEntry* KeywordIndex::iconForKey(const QString& key) const
{
    auto it = iconPositions_.find(key);
    return it == iconPositions_.end() ? nullptr : &icons_[it->second];
}

std::span<const KeywordIndex::Posting> KeywordIndex::postings(const QString& word) const
{
    auto it = keywordPositions_.find(word);
    return it == keywordPositions_.end() ? std::span<const Posting>() : postingsAt(it->second);
}

std::optional<QString> KeywordIndex::countryFlag(const QString& normalizedName) const
{
    auto it = countryFlags_.find(normalizedName);
    return it == countryFlags_.end() ? std::nullopt : std::optional(it->second);
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
    auto icon = iconPositions_.find(key);
    if (icon == iconPositions_.end())
        return std::nullopt;
    const uint32_t position = icon->second;
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
    // Two non-empty pieces are enough to know; the first one names the base.
    qsizetype pieces = 0;
    QStringView first;
    for (QStringView piece : QStringView(key).mid(colon + 1).tokenize(separator, Qt::SkipEmptyParts)) {
        if (pieces++ == 0)
            first = piece;
        else
            break;
    }
    if (pieces < 2)
        return false;
    return iconPositions_.find(KeyProbe(library, first).view()) != iconPositions_.end();
}

} // namespace pigmo
