#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace pigmo {

// One keyword file ("lucide_keywords_<code>.json" or "emoji_keywords_<code>.json"): a JSON object that maps
// an icon name (or an emoji) to a JSON object that maps each keyword to an integer relevance. Entries keep
// the file's order; keywords are exactly as written.
struct KeywordFile {
    struct Entry {
        QString name;
        std::vector<std::pair<QString, int>> keywords;
    };
    std::vector<Entry> entries;
};

// A keyword file with every distinct keyword stored once: `words` holds them exactly as written, in the order
// first seen, and each entry's keywords name a position in `words` with its relevance. Reading a file this way
// converts each distinct keyword once, however often the file repeats it.
struct NumberedKeywordFile {
    struct Entry {
        QString name;
        std::vector<std::pair<uint32_t, int>> keywords;
    };
    std::vector<QString> words;
    std::vector<Entry> entries;
};

// The country table ("country_flags.json"): a JSON object that maps a flag emoji to a JSON array of
// country names and aliases, in any language.
struct CountryFlagsFile {
    std::vector<std::pair<QString, QStringList>> flags;
};

// Nothing when the file is missing, unreadable, not JSON, or not of exactly the shape above (a relevance
// that is not an integer makes the whole file unusable). Relevances beyond the range of int are clamped.
std::optional<KeywordFile> readKeywordFile(const QString& path);
std::optional<CountryFlagsFile> readCountryFlagsFile(const QString& path);
// The same rules as `readKeywordFile`: nothing exactly when that gives nothing.
std::optional<NumberedKeywordFile> readNumberedKeywordFile(const QString& path);

// The same from JSON text already in memory.
std::optional<KeywordFile> parseKeywordFile(const QByteArray& json);
std::optional<CountryFlagsFile> parseCountryFlagsFile(const QByteArray& json);
std::optional<NumberedKeywordFile> parseNumberedKeywordFile(const QByteArray& json);

} // namespace pigmo
