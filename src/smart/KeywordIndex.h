#pragma once

#include "catalogue/IconLibrary.h"
#include "model/ColorizationData.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pigmo {

// A fast hash of a text's UTF-16 code units (the index hashes hundreds of thousands of short words per build).
// Not declared noexcept on purpose: the standard library then keeps each key's hash in its node, so a lookup
// compares stored hashes instead of hashing every key it passes. Transparent, so that a map is searched with a
// view of a text without copying it first.
struct TextHash {
    using is_transparent = void;
    size_t operator()(QStringView text) const
    {
        return std::hash<std::u16string_view>{}(std::u16string_view(text.utf16(), static_cast<size_t>(text.size())));
    }
};

template <class Value>
using TextMap = std::unordered_map<QString, Value, TextHash, std::equal_to<>>;

// The three glyph catalogues, in catalogue order.
struct IconCatalogues {
    QList<Icon> lucide;
    QList<Icon> sf;
    QList<Icon> emoji;
};

// Everything one build of the keyword index reads, taken by value so that a build never looks at shared
// state: the catalogues, the folder-name languages whose keyword files are loaded, and the directory that
// holds "lucide_keywords_<code>.json", "emoji_keywords_<code>.json" and "country_flags.json".
struct IndexSources {
    IconCatalogues catalogues;
    QSet<QString> languages;
    QString keywordDirectory;
    // When set, the build takes its catalogues from here instead of `catalogues`, calling it once the keyword
    // files (which do not depend on the catalogues) are being read, so that both loads overlap.
    std::function<IconCatalogues()> loadCatalogues = {};
};

// One complete keyword index. Immutable once built, so any number of threads may read one instance while
// another is being built; the service publishes each new index whole.
//
// Words (icon-name tokens and normalised keywords of the keyword files) map to icons through postings that
// carry, for that word and icon, whether the word is one of the icon's own name tokens and the keyword
// file's relevance. Words are also kept sorted, so that the words beginning with a prefix are one range.
class KeywordIndex {
public:
    struct IconEntry {
        QString key; // "lucide:<name>", "sf:<name>" or "emoji:<emoji>"
        Icon icon;
        IconLibrary library;
        QStringList nameTokens; // the distinct tokens of the icon's own name
        int tokenCount;         // the number of name tokens, at least 1
        bool hasBaseIcon;       // the first name token is an icon of the same library on its own
    };

    struct Posting {
        uint32_t icon;     // position in the icon table
        int32_t relevance; // the keyword files' relevance for this word and icon; -1 when they give none
        bool isNameToken;  // the word is one of the icon's own name tokens
    };

    // Builds an index from the sources, logging its progress to the system log. Never fails: unreadable or
    // malformed keyword files are skipped.
    static std::shared_ptr<const KeywordIndex> build(const IndexSources& sources);

    qsizetype keywordCount() const { return static_cast<qsizetype>(keywords_.size()); }
    // Every word of the index, ascending (UTF-16 order).
    const std::vector<QString>& keywords() const { return keywords_; }
    qsizetype iconCount() const { return static_cast<qsizetype>(icons_.size()); }

    const IconEntry& iconAt(uint32_t position) const { return icons_[position]; }
    const IconEntry* iconForKey(const QString& key) const;

    // The postings of one word (exact match); empty when the index does not hold it.
    std::span<const Posting> postings(const QString& word) const;

    // Calls visit(keyword, postings) for every word of the index that begins with `prefix` and is longer
    // than it, in ascending order. Costs one binary search plus the range itself.
    template <class Visit>
    void forEachExtension(const QString& prefix, Visit&& visit) const
    {
        auto it = std::upper_bound(keywords_.begin(), keywords_.end(), prefix);
        for (; it != keywords_.end() && it->startsWith(prefix); ++it) {
            const auto position = static_cast<size_t>(it - keywords_.begin());
            visit(*it, postingsAt(position));
        }
    }

    // The flag emoji for a normalised country name or alias.
    std::optional<QString> countryFlag(const QString& normalizedName) const;
    qsizetype countryFlagCount() const { return static_cast<qsizetype>(countryFlags_.size()); }

    const IconCatalogues& catalogues() const { return catalogues_; }

    // The tables by key, for callers that want the plain view.
    QStringList iconKeys(const QString& word) const;
    std::optional<int> relevance(const QString& key, const QString& word) const;

    // Whether `key` names a variant of an icon in this index: the part after ":" split at "." (symbols) or
    // "-" (others) has at least two pieces, and the first piece is an icon of the same library.
    bool hasBaseIcon(const QString& key) const;

private:
    friend class KeywordIndexBuilder;
    KeywordIndex() = default;

    std::span<const Posting> postingsAt(size_t keyword) const
    {
        return {postings_.data() + offsets_[keyword], postings_.data() + offsets_[keyword + 1]};
    }

    std::vector<IconEntry> icons_;
    TextMap<uint32_t> iconPositions_;
    std::vector<QString> keywords_; // ascending
    TextMap<uint32_t> keywordPositions_;
    std::vector<uint32_t> offsets_; // postings of keyword i: [offsets_[i], offsets_[i + 1])
    std::vector<Posting> postings_;
    TextMap<QString> countryFlags_;
    IconCatalogues catalogues_;
};

} // namespace pigmo
