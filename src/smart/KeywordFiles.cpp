#include "smart/KeywordFiles.h"

#include <QFile>
#include <QHashFunctions>

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace pigmo {
namespace {

using Json = nlohmann::json;

// A SAX handler that accepts only a top-level object of objects (or arrays) of leaves, and fails the parse
// at the first structural deviation. Building the result while parsing keeps large keyword files
// out of a DOM.
class ShapeHandler : public nlohmann::json_sax<Json> {
public:
    bool null() override { return false; }
    bool boolean(bool) override { return false; }
    bool number_integer(number_integer_t value) override { return integer(value); }
    bool number_unsigned(number_unsigned_t value) override
    {
        return integer(value > static_cast<number_unsigned_t>(std::numeric_limits<int64_t>::max())
                           ? std::numeric_limits<int64_t>::max()
                           : static_cast<int64_t>(value));
    }
    bool number_float(number_float_t value, const string_t&) override
    {
        // JSON readers commonly accept 2.0 as the integer 2; anything with a fraction is not an integer.
        if (!std::isfinite(value) || std::trunc(value) != value)
            return false;
        return integer(value >= 9.0e18    ? std::numeric_limits<int64_t>::max()
                       : value <= -9.0e18 ? std::numeric_limits<int64_t>::min()
                                          : static_cast<int64_t>(value));
    }
    bool string(string_t& value) override { return depth_ == 2 && leafString(QString::fromStdString(value)); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override
    {
        if (depth_ >= 2 || (depth_ == 1 && !innerIsObject()))
            return false;
        if (depth_ == 1)
            openEntry();
        ++depth_;
        return true;
    }
    bool end_object() override
    {
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override
    {
        if (depth_ != 1 || innerIsObject())
            return false;
        openEntry();
        ++depth_;
        return true;
    }
    bool end_array() override
    {
        --depth_;
        return true;
    }
    bool key(string_t& value) override
    {
        (depth_ == 1 ? outerKey_ : innerKey_) = QString::fromStdString(value);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

protected:
    virtual bool innerIsObject() const = 0;
    virtual void openEntry() = 0;
    virtual bool leafInteger(int) { return false; }
    virtual bool leafString(const QString&) { return false; }

    const QString& outerKey() const { return outerKey_; }
    const QString& innerKey() const { return innerKey_; }

private:
    bool integer(int64_t value)
    {
        if (depth_ != 2)
            return false;
        const auto clamped =
            std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        return leafInteger(static_cast<int>(clamped));
    }

    int depth_ = 0;
    QString outerKey_;
    QString innerKey_;
};

class KeywordFileHandler final : public ShapeHandler {
public:
    KeywordFile file;

protected:
    bool innerIsObject() const override { return true; }
    void openEntry() override { file.entries.push_back({outerKey(), {}}); }
    bool leafInteger(int relevance) override
    {
        file.entries.back().keywords.emplace_back(innerKey(), relevance);
        return true;
    }
};

class CountryFlagsHandler final : public ShapeHandler {
public:
    CountryFlagsFile file;

protected:
    bool innerIsObject() const override { return false; }
    void openEntry() override { file.flags.emplace_back(outerKey(), QStringList()); }
    bool leafString(const QString& name) override
    {
        file.flags.back().second.append(name);
        return true;
    }
};

template <class Handler>
auto parseWithSax(const QByteArray& json) -> std::optional<decltype(Handler::file)>
{
    Handler handler;
    const bool ok = Json::sax_parse(json.cbegin(), json.cend(), &handler, nlohmann::detail::input_format_t::json, true);
    if (!ok)
        return std::nullopt;
    return std::move(handler.file);
}

namespace dom = simdjson::dom;

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The same integer rules as ShapeHandler: signed, unsigned (clamped) and fraction-free floating values.
std::optional<int> integerLeaf(const dom::element& value)
{
    int64_t integer = 0;
    switch (value.type()) {
    case dom::element_type::INT64:
        integer = int64_t(value);
        break;
    case dom::element_type::UINT64: {
        const uint64_t unsignedValue = uint64_t(value);
        integer = unsignedValue > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                      ? std::numeric_limits<int64_t>::max()
                      : static_cast<int64_t>(unsignedValue);
        break;
    }
    case dom::element_type::DOUBLE: {
        const double number = double(value);
        if (!std::isfinite(number) || std::trunc(number) != number)
            return std::nullopt;
        integer = number >= 9.0e18    ? std::numeric_limits<int64_t>::max()
                  : number <= -9.0e18 ? std::numeric_limits<int64_t>::min()
                                      : static_cast<int64_t>(number);
        break;
    }
    default:
        return std::nullopt;
    }
    return static_cast<int>(
        std::clamp<int64_t>(integer, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// An entry's object of keywords, each keyword taken as `keyOf` gives it.
template <class Entry, class KeyOf>
bool readKeywords(const dom::element& value, Entry& entry, KeyOf&& keyOf)
{
    dom::object keywords;
    if (value.get(keywords))
        return false;
    entry.keywords.reserve(keywords.size());
    for (const dom::key_value_pair field : keywords) {
        const std::optional<int> relevance = integerLeaf(field.value);
        if (!relevance)
            return false;
        entry.keywords.emplace_back(keyOf(field.key), *relevance);
    }
    return true;
}

bool readEntry(const dom::element& value, KeywordFile::Entry& entry)
{
    return readKeywords(value, entry, fromUtf8);
}

bool readEntry(const dom::element& value, std::pair<QString, QStringList>& flag)
{
    dom::array names;
    if (value.get(names))
        return false;
    flag.second.reserve(static_cast<qsizetype>(names.size()));
    for (const dom::element name : names) {
        std::string_view text;
        if (name.get(text))
            return false;
        flag.second.append(fromUtf8(text));
    }
    return true;
}

// Walks a parsed document of exactly the file's shape into `entries`, reading each entry's value with
// `readValue`; false at the first deviation.
template <class Entries, class ReadValue>
bool readEntries(const dom::element& root, Entries& entries, ReadValue&& readValue)
{
    dom::object outer;
    if (root.get(outer))
        return false;
    entries.reserve(outer.size());
    for (const dom::key_value_pair field : outer) {
        auto& entry = entries.emplace_back();
        entry = {fromUtf8(field.key), {}};
        if (!readValue(field.value, entry))
            return false;
    }
    return true;
}

std::vector<KeywordFile::Entry>& entriesOf(KeywordFile& file)
{
    return file.entries;
}

std::vector<std::pair<QString, QStringList>>& entriesOf(CountryFlagsFile& file)
{
    return file.flags;
}

// simdjson reads the common case quickly. The few texts it refuses although they are JSON (integers beyond
// 64 bits, a leading byte order mark) and every malformed text go through the SAX reader, whose verdict
// is final.
template <class Handler>
auto parseWith(const QByteArray& json) -> std::optional<decltype(Handler::file)>
{
    dom::parser parser;
    dom::element root;
    if (parser.parse(json.constData(), static_cast<size_t>(json.size()), true).get(root))
        return parseWithSax<Handler>(json);
    decltype(Handler::file) file;
    const auto readValue = [](const dom::element& value, auto& entry) { return readEntry(value, entry); };
    if (!readEntries(root, entriesOf(file), readValue))
        return std::nullopt;
    return file;
}

// Gives each distinct keyword its number, converting it to a QString the first time it is seen. `Key` is the
// keyword's form while reading: the UTF-8 text in the parser's buffer, or a QString already converted.
template <class Key>
class KeywordNumbers {
public:
    // `expected`: about how many distinct keywords to make room for.
    KeywordNumbers(std::vector<QString>& words, size_t expected)
        : words_(words)
    {
        numbers_.reserve(expected);
    }

    uint32_t operator()(const Key& keyword)
    {
        const auto [it, added] = numbers_.try_emplace(keyword, static_cast<uint32_t>(words_.size()));
        if (added)
            words_.push_back(text(keyword));
        return it->second;
    }

private:
    static QString text(std::string_view keyword) { return fromUtf8(keyword); }
    static QString text(const QString& keyword) { return keyword; }

    std::vector<QString>& words_;
    std::unordered_map<Key, uint32_t> numbers_;
};

std::optional<NumberedKeywordFile> numbered(std::optional<KeywordFile> file)
{
    if (!file)
        return std::nullopt;
    NumberedKeywordFile result;
    KeywordNumbers<QString> number(result.words, 0);
    result.entries.reserve(file->entries.size());
    for (KeywordFile::Entry& entry : file->entries) {
        NumberedKeywordFile::Entry& target = result.entries.emplace_back();
        target.name = std::move(entry.name);
        target.keywords.reserve(entry.keywords.size());
        for (const auto& [keyword, relevance] : entry.keywords)
            target.keywords.emplace_back(number(keyword), relevance);
    }
    return result;
}

std::optional<QByteArray> readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

std::optional<NumberedKeywordFile> parseNumberedKeywordFile(const QByteArray& json)
{
    dom::parser parser;
    dom::element root;
    if (parser.parse(json.constData(), static_cast<size_t>(json.size()), true).get(root))
        return numbered(parseWithSax<KeywordFileHandler>(json));
    NumberedKeywordFile file;
    // Views into the parser's buffer, alive meanwhile. The bundle's files hold a distinct keyword for every
    // 17 to 84 bytes.
    KeywordNumbers<std::string_view> number(file.words, static_cast<size_t>(json.size()) / 32);
    const auto readValue = [&number](const dom::element& value, NumberedKeywordFile::Entry& entry) {
        return readKeywords(value, entry, number);
    };
    if (!readEntries(root, file.entries, readValue))
        return std::nullopt;
    return file;
}

std::optional<NumberedKeywordFile> readNumberedKeywordFile(const QString& path)
{
    const std::optional<QByteArray> bytes = readAll(path);
    return bytes ? parseNumberedKeywordFile(*bytes) : std::nullopt;
}

std::optional<KeywordFile> parseKeywordFile(const QByteArray& json)
{
    return parseWith<KeywordFileHandler>(json);
}

std::optional<CountryFlagsFile> parseCountryFlagsFile(const QByteArray& json)
{
    return parseWith<CountryFlagsHandler>(json);
}

std::optional<KeywordFile> readKeywordFile(const QString& path)
{
    const std::optional<QByteArray> bytes = readAll(path);
    return bytes ? parseKeywordFile(*bytes) : std::nullopt;
}

std::optional<CountryFlagsFile> readCountryFlagsFile(const QString& path)
{
    const std::optional<QByteArray> bytes = readAll(path);
    return bytes ? parseCountryFlagsFile(*bytes) : std::nullopt;
}

} // namespace pigmo
