#include "smart/KeywordFiles.h"

#include <QFile>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

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
auto parseWith(const QByteArray& json) -> std::optional<decltype(Handler::file)>
{
    Handler handler;
    const bool ok = Json::sax_parse(json.cbegin(), json.cend(), &handler, nlohmann::detail::input_format_t::json, true);
    if (!ok)
        return std::nullopt;
    return std::move(handler.file);
}

std::optional<QByteArray> readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

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
