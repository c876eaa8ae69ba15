#include "model/StyleJson.h"

#include <nlohmann/detail/conversions/to_chars.hpp>
#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <QHash>

#include <array>
#include <cctype>
#include <cmath>
#include <string>
#include <unordered_set>
#include <utility>

namespace pigmo::json {
namespace {

namespace dom = simdjson::dom;

static_assert(parsePadding == simdjson::SIMDJSON_PADDING);

// The parser of the calling thread; its buffers are reused from one document to the next.
// Refuses texts nested deeper than `maxNestingDepth` (simdjson counts the levels while it parses).
dom::parser& threadParser()
{
    thread_local dom::parser parser = [] {
        dom::parser made;
        if (made.allocate(simdjson::dom::MINIMAL_DOCUMENT_CAPACITY, maxNestingDepth))
            qFatal("Out of memory for the JSON parser");
        return made;
    }();
    return parser;
}

QString notInTheCorrectFormat(const char* detail)
{
    return QStringLiteral("The data couldn't be read because it isn't in the correct format. (%1)")
        .arg(QString::fromUtf8(detail));
}

// How a string of these records writes a byte: its escape sequence (in `buffer`), or nothing when the byte
// stands as it is. Control characters, quotes and backslashes as JSON requires, plus forward slashes.
std::string_view escaped(char c, std::array<char, 6>& buffer)
{
    static constexpr char hex[] = "0123456789abcdef";
    switch (c) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '/':
        return "\\/";
    case '\b':
        return "\\b";
    case '\f':
        return "\\f";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        if (static_cast<unsigned char>(c) >= 0x20)
            return {};
        buffer = {'\\', 'u', '0', '0', hex[(c >> 4) & 0xF], hex[c & 0xF]};
        return {buffer.data(), buffer.size()};
    }
}

} // namespace

// Writing.

Writer::Writer()
{
    out_.reserve(256);
}

void Writer::beforeValue()
{
    if (std::exchange(afterKey_, false))
        return;
    if (!first_)
        out_ += ',';
    first_ = false;
}

void Writer::open(char bracket)
{
    beforeValue();
    out_ += bracket;
    first_ = true;
}

void Writer::close(char bracket)
{
    out_ += bracket;
    first_ = false;
}

void Writer::key(std::string_view name)
{
    beforeValue();
    out_.append(1, '"').append(name).append("\":");
    afterKey_ = true;
}

void Writer::number(double value)
{
    beforeValue();
    if (!std::isfinite(value)) {
        finite_ = false;
        out_ += "null";
        return;
    }
    // The shortest digits that read back as `value`, "1.0" for a whole number and an exponent of at
    // least two digits: the form every file written so far holds.
    std::array<char, 64> buffer;
    const char* end = nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out_.append(buffer.data(), end - buffer.data());
}

void Writer::number(quint64 value)
{
    beforeValue();
    out_ += std::to_string(value);
}

void Writer::text(const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    text(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

void Writer::text(std::string_view utf8)
{
    beforeValue();
    out_ += '"';
    const char* run = utf8.data();
    for (const char* it = run; it != utf8.data() + utf8.size(); ++it) {
        std::array<char, 6> buffer;
        const std::string_view escape = escaped(*it, buffer);
        if (escape.empty())
            continue;
        out_.append(run, it - run);
        run = it + 1;
        out_.append(escape);
    }
    out_.append(run, utf8.data() + utf8.size() - run);
    out_ += '"';
}

Result<QByteArray> Writer::result() const
{
    if (!finite_)
        return Result<QByteArray>::failure(QStringLiteral("Unable to encode a non-finite number in JSON."));
    return QByteArray(out_.data(), static_cast<qsizetype>(out_.size()));
}

namespace {

void write(Writer& writer, const HSL& hsl)
{
    writer.beginObject();
    writer.key("hue");
    writer.number(hsl.hue);
    writer.key("saturation");
    writer.number(hsl.saturation);
    writer.key("lightness");
    writer.number(hsl.lightness);
    writer.endObject();
}

void write(Writer& writer, const Icon& icon)
{
    writer.beginObject();
    if (icon.url) {
        writer.key("url");
        const QByteArray encoded = icon.url->toEncoded();
        writer.text(std::string_view(encoded.constData(), static_cast<size_t>(encoded.size())));
    }
    if (icon.systemName) {
        writer.key("systemName");
        writer.text(*icon.systemName);
    }
    if (icon.emoji) {
        writer.key("emoji");
        writer.text(*icon.emoji);
    }
    writer.key("name");
    writer.text(icon.name);
    if (icon.imageData) {
        writer.key("imageData");
        const QByteArray base64 = icon.imageData->toBase64();
        writer.text(std::string_view(base64.constData(), static_cast<size_t>(base64.size())));
    }
    writer.endObject();
}

void write(Writer& writer, const IconStyle& style)
{
    writer.beginObject();
    writer.key("type");
    writer.text(IconStyle::rawValue(style.type()));
    if (style.isColor()) {
        writer.key("color");
        write(writer, style.colorValue());
    }
    writer.endObject();
}

} // namespace

void write(Writer& writer, const ColorizationData& data)
{
    writer.beginObject();
    writer.key("color");
    write(writer, data.color);
    writer.key("intensity");
    writer.number(data.intensity);
    if (data.icon) {
        writer.key("icon");
        write(writer, *data.icon);
    }
    if (data.iconSize) {
        writer.key("iconSize");
        writer.number(*data.iconSize);
    }
    writer.key("iconStyle");
    write(writer, data.iconStyle);
    writer.endObject();
}

Result<QByteArray> encode(const ColorizationData& data)
{
    Writer writer;
    write(writer, data);
    return writer.result();
}

QByteArray quoted(const QString& text)
{
    Writer writer;
    writer.text(text);
    return *writer.result();
}

bool isQuoted(QByteArrayView quotedText, std::string_view utf8)
{
    if (quotedText.size() < 2 || quotedText.front() != '"' || quotedText.back() != '"')
        return false;
    QByteArrayView rest = quotedText.sliced(1, quotedText.size() - 2);
    for (const char c : utf8) {
        std::array<char, 6> buffer;
        std::string_view escape = escaped(c, buffer);
        if (escape.empty())
            escape = std::string_view(&c, 1);
        if (!rest.startsWith(QByteArrayView(escape.data(), qsizetype(escape.size()))))
            return false;
        rest = rest.sliced(qsizetype(escape.size()));
    }
    return rest.isEmpty();
}

// Reading.

QString missingMemberError(const char* member)
{
    return QStringLiteral("The data couldn't be read because the member \"%1\" is missing.").arg(QLatin1String(member));
}

QString wrongTypeError(const char* member, const char* expected)
{
    return QStringLiteral("The data couldn't be read because the member \"%1\" is not a %2.")
        .arg(QLatin1String(member), QLatin1String(expected));
}

Result<Object> objectOf(const Element& json, const char* what)
{
    Object object;
    if (json.get_object().get(object))
        return Result<Object>::failure(
            QStringLiteral("The data couldn't be read because %1.").arg(QLatin1String(what)));
    return object;
}

std::optional<Element> member(const Object& object, std::string_view name)
{
    std::optional<Element> found;
    for (auto field = object.begin(); field != object.end(); ++field) {
        if (field.key_equals(name))
            found = field.value();
    }
    if (found && found->is_null())
        return std::nullopt;
    return found;
}

Result<std::optional<std::string_view>> stringMember(const Object& object, const char* name)
{
    const auto value = member(object, name);
    if (!value)
        return std::optional<std::string_view>();
    std::string_view text;
    if (value->get_string().get(text))
        return Result<std::optional<std::string_view>>::failure(wrongTypeError(name, "string"));
    return std::optional(text);
}

namespace {

QString textOf(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

Result<std::string_view> requiredString(const Object& object, const char* name)
{
    const auto text = stringMember(object, name);
    if (!text)
        return Result<std::string_view>::failure(text.error());
    if (!*text)
        return Result<std::string_view>::failure(missingMemberError(name));
    return **text;
}

Result<QString> requiredText(const Object& object, const char* name)
{
    const auto text = requiredString(object, name);
    if (!text)
        return Result<QString>::failure(text.error());
    return textOf(*text);
}

Result<std::optional<QString>> optionalText(const Object& object, const char* name)
{
    const auto text = stringMember(object, name);
    if (!text)
        return Result<std::optional<QString>>::failure(text.error());
    if (!*text)
        return std::optional<QString>();
    return std::optional(textOf(**text));
}

namespace {

// The value of a JSON number of any kind (signed, unsigned or fractional); nothing for every other type.
std::optional<double> numberValue(const Element& value)
{
    switch (value.type()) {
    case dom::element_type::INT64:
        return static_cast<double>(int64_t(value));
    case dom::element_type::UINT64:
        return static_cast<double>(uint64_t(value));
    case dom::element_type::DOUBLE:
        return double(value);
    default:
        return std::nullopt;
    }
}

Result<double> numberMember(const Object& object, const char* name)
{
    const auto value = member(object, name);
    if (!value)
        return Result<double>::failure(missingMemberError(name));
    const auto number = numberValue(*value);
    if (!number)
        return Result<double>::failure(wrongTypeError(name, "number"));
    return *number;
}

// A history names the same few hundred glyph files thousands of times, and parsing a URL costs more than
// looking it up: each thread keeps the valid URLs it parsed last, as texts (for a check) and as URLs.
std::optional<QUrl> validUrl(const QString& text)
{
    thread_local QHash<QString, QUrl> known;
    if (const auto found = known.constFind(text); found != known.cend())
        return *found;
    const QUrl parsed(text, QUrl::StrictMode);
    if (parsed.isEmpty() || !parsed.isValid())
        return std::nullopt;
    if (known.size() >= 1024)
        known.clear();
    known.insert(text, parsed);
    return parsed;
}

bool isValidUrlText(std::string_view text)
{
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view view) const { return std::hash<std::string_view>{}(view); }
    };
    thread_local std::unordered_set<std::string, Hash, std::equal_to<>> known;
    if (known.find(text) != known.end())
        return true;
    if (!validUrl(textOf(text)))
        return false;
    if (known.size() >= 1024)
        known.clear();
    known.emplace(text);
    return true;
}

bool isStrictBase64(const QByteArray& text)
{
    if (text.size() % 4 != 0)
        return false;
    for (const char c : text) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '='))
            return false;
    }
    return true;
}

// The bytes of an "imageData" text, or nothing when it is no strict Base64.
std::optional<QByteArray> imageBytes(std::string_view text)
{
    const QByteArray base64 = textOf(text).toLatin1();
    auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!isStrictBase64(base64) || !decoded)
        return std::nullopt;
    return *decoded;
}

Result<void> readHsl(const Element& json, HSL* into)
{
    using R = Result<void>;
    const auto object = objectOf(json, "a colour is not an object");
    if (!object)
        return R::failure(object.error());
    HSL hsl;
    for (auto [name, field] : {std::pair{"hue", &hsl.hue}, std::pair{"saturation", &hsl.saturation},
                               std::pair{"lightness", &hsl.lightness}}) {
        auto number = numberMember(*object, name);
        if (!number)
            return R::failure(number.error());
        *field = *number;
    }
    if (into)
        *into = hsl;
    return R::success();
}

Result<void> readIcon(const Element& json, Icon* into)
{
    using R = Result<void>;
    const auto object = objectOf(json, "an icon is not an object");
    if (!object)
        return R::failure(object.error());
    const auto name = requiredString(*object, "name");
    if (!name)
        return R::failure(name.error());
    const auto url = stringMember(*object, "url");
    const auto systemName = stringMember(*object, "systemName");
    const auto emoji = stringMember(*object, "emoji");
    const auto imageData = stringMember(*object, "imageData");
    for (const auto* text : {&url, &systemName, &emoji, &imageData}) {
        if (!*text)
            return R::failure(text->error());
    }
    // A check looks the URL's text up; a decode keeps the URL.
    std::optional<QUrl> parsedUrl;
    if (*url) {
        const bool valid = into ? (parsedUrl = validUrl(textOf(**url))).has_value() : isValidUrlText(**url);
        if (!valid)
            return R::failure(QStringLiteral("The data couldn't be read because \"url\" is no valid URL."));
    }
    std::optional<QByteArray> image;
    if (*imageData && !(image = imageBytes(**imageData)))
        return R::failure(QStringLiteral("The data couldn't be read because \"imageData\" is no valid Base64."));
    if (!into)
        return R::success();
    const auto kept = [](const std::optional<std::string_view>& text) -> std::optional<QString> {
        return text ? std::optional(textOf(*text)) : std::nullopt;
    };
    *into = Icon{std::move(parsedUrl), kept(*systemName), kept(*emoji), textOf(*name), std::move(image)};
    return R::success();
}

Result<void> readIconStyle(const Element& json, IconStyle* into)
{
    using R = Result<void>;
    const auto object = objectOf(json, "an icon style is not an object");
    if (!object)
        return R::failure(object.error());
    const auto raw = requiredString(*object, "type");
    if (!raw)
        return R::failure(raw.error());
    const QUtf8StringView name(*raw);
    const auto type = IconStyle::styleType(name);
    if (!type)
        return R::failure(
            QStringLiteral("The data couldn't be read because \"%1\" is no icon style type.").arg(name.toString()));
    HSL color;
    if (*type == IconStyle::StyleType::color) {
        const auto value = member(*object, "color");
        if (!value)
            return R::failure(missingMemberError("color"));
        if (auto valid = readHsl(*value, &color); !valid)
            return valid;
    }
    if (!into)
        return R::success();
    switch (*type) {
    case IconStyle::StyleType::vibrant:
        *into = IconStyle::vibrant();
        break;
    case IconStyle::StyleType::original:
        *into = IconStyle::original();
        break;
    case IconStyle::StyleType::inverted:
        *into = IconStyle::inverted();
        break;
    case IconStyle::StyleType::color:
        *into = IconStyle::color(color);
        break;
    }
    return R::success();
}

} // namespace

Result<void> read(const Element& json, ColorizationData* into)
{
    using R = Result<void>;
    const auto object = objectOf(json, "it isn't in the correct format");
    if (!object)
        return R::failure(object.error());
    ColorizationData data;
    const auto color = member(*object, "color");
    if (!color)
        return R::failure(missingMemberError("color"));
    if (auto valid = readHsl(*color, &data.color); !valid)
        return valid;

    auto intensity = numberMember(*object, "intensity");
    if (!intensity)
        return R::failure(intensity.error());
    data.intensity = *intensity;

    if (const auto icon = member(*object, "icon")) {
        Icon decoded;
        if (auto valid = readIcon(*icon, into ? &decoded : nullptr); !valid)
            return valid;
        if (into)
            data.icon = std::move(decoded);
    }
    if (const auto size = member(*object, "iconSize")) {
        const auto number = numberValue(*size);
        if (!number)
            return R::failure(wrongTypeError("iconSize", "number"));
        data.iconSize = *number;
    }

    const auto style = member(*object, "iconStyle");
    if (!style)
        return R::failure(missingMemberError("iconStyle"));
    if (auto valid = readIconStyle(*style, &data.iconStyle); !valid)
        return valid;
    if (into)
        *into = std::move(data);
    return R::success();
}

bool nestsTooDeep(const QByteArray& bytes)
{
    int depth = 0;
    bool inString = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\')
                ++i; // the escaped character cannot end the string
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > static_cast<int>(maxNestingDepth))
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

bool hasParsePadding(const QByteArray& bytes)
{
    // Qt 6.4 has no const access to the buffer's layout; looking at it changes nothing.
    return !bytes.isNull() && const_cast<QByteArray&>(bytes).data_ptr().freeSpaceAtEnd() >= parsePadding;
}

QByteArray withParsePadding(qsizetype size)
{
    QByteArray bytes;
    bytes.reserve(size + parsePadding);
    return bytes;
}

Result<Element> parse(const QByteArray& bytes)
{
    dom::parser& parser = threadParser();
    Element root;
    const auto size = static_cast<size_t>(bytes.size());
    const auto error = parser.parse(bytes.constData(), size, !hasParsePadding(bytes)).get(root);
    if (!error)
        return root;
    // Too deep a text is refused before anything else builds a tree of it.
    if (error == simdjson::DEPTH_ERROR || nestsTooDeep(bytes))
        return Result<Element>::failure(notInTheCorrectFormat(simdjson::error_message(simdjson::DEPTH_ERROR)));
    // simdjson refuses a few texts the format allows: integers beyond 64 bits, a leading byte order mark.
    // Such a text is read as written in its canonical form, where every number fits.
    const nlohmann::ordered_json tree =
        nlohmann::ordered_json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (tree.is_discarded())
        return Result<Element>::failure(notInTheCorrectFormat(simdjson::error_message(error)));
    const std::string canonical = tree.dump();
    if (parser.parse(canonical).get(root))
        return Result<Element>::failure(notInTheCorrectFormat(simdjson::error_message(error)));
    return root;
}

Result<ColorizationData> decode(const QByteArray& bytes)
{
    auto json = parse(bytes);
    if (!json)
        return Result<ColorizationData>::failure(json.error());
    ColorizationData data;
    if (auto valid = read(*json, &data); !valid)
        return Result<ColorizationData>::failure(valid.error());
    return data;
}

} // namespace pigmo::json
