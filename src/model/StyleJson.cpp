#include "model/StyleJson.h"

#include <nlohmann/detail/conversions/to_chars.hpp>

#include <QHash>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <string>
#include <unordered_set>

namespace pigmo::json {
namespace {

namespace dom = simdjson::dom;

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

Result<double> numberMember(const dom::object& object, const char* name)
{
    const auto value = member(object, name);
    if (!value)
        return Result<double>::failure(missingMemberError(name));
    const auto number = numberValue(*value);
    if (!number)
        return Result<double>::failure(wrongTypeError(name, "number"));
    return *number;
}

Result<QString> textValue(const Element& value, const char* name)
{
    std::string_view text;
    if (value.get_string().get(text))
        return Result<QString>::failure(wrongTypeError(name, "string"));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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

bool containsNonFinite(const Json& json)
{
    if (json.is_number_float())
        return !std::isfinite(json.get<double>());
    if (json.is_structured()) {
        for (const auto& element : json) {
            if (containsNonFinite(element))
                return true;
        }
    }
    return false;
}

// How a string of these records writes a byte: its escape sequence (in `buffer`), or nothing when the byte
// stands as it is. Escaped as the tree writer does it, plus forward slashes.
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

// Writes one style straight to text, without building a JSON tree first (the attribute and every history
// entry go through here). The output is the same text `serialize(toJson(data))` gives.
class StyleWriter {
public:
    StyleWriter() { out_.reserve(256); }

    void write(const ColorizationData& data)
    {
        open();
        key("color");
        write(data.color);
        key("intensity");
        number(data.intensity);
        if (data.icon) {
            key("icon");
            write(*data.icon);
        }
        if (data.iconSize) {
            key("iconSize");
            number(*data.iconSize);
        }
        key("iconStyle");
        open();
        key("type");
        plainText(IconStyle::rawValue(data.iconStyle.type()));
        if (data.iconStyle.isColor()) {
            key("color");
            write(data.iconStyle.colorValue());
        }
        close();
        close();
    }

    // A JSON string alone.
    void quote(const QString& value) { text(value.toUtf8()); }
    void text(const QByteArray& utf8) { text(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))); }

    QByteArray bytes() const { return QByteArray(out_.data(), static_cast<qsizetype>(out_.size())); }

private:
    void write(const HSL& hsl)
    {
        open();
        key("hue");
        number(hsl.hue);
        key("saturation");
        number(hsl.saturation);
        key("lightness");
        number(hsl.lightness);
        close();
    }

    void write(const Icon& icon)
    {
        open();
        if (icon.url) {
            key("url");
            text(icon.url->toEncoded());
        }
        if (icon.systemName) {
            key("systemName");
            text(icon.systemName->toUtf8());
        }
        if (icon.emoji) {
            key("emoji");
            text(icon.emoji->toUtf8());
        }
        key("name");
        text(icon.name.toUtf8());
        if (icon.imageData) {
            key("imageData");
            text(icon.imageData->toBase64());
        }
        close();
    }

    void open()
    {
        out_ += '{';
        first_ = true;
    }
    void close()
    {
        out_ += '}';
        first_ = false;
    }
    void key(const char* name)
    {
        if (!first_)
            out_ += ',';
        first_ = false;
        out_.append(1, '"').append(name).append("\":");
    }
    // The shortest text that reads back as `value`, exactly as the tree writer formats a finite double.
    void number(double value)
    {
        std::array<char, 64> buffer;
        const char* end = nlohmann::detail::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
        out_.append(buffer.data(), end - buffer.data());
    }

    // A text known to need no escaping (the style type names).
    void plainText(const QString& ascii)
    {
        out_ += '"';
        for (const QChar c : ascii)
            out_ += static_cast<char>(c.unicode());
        out_ += '"';
    }

    // JSON string escaping as the tree writer does it, plus escaped forward slashes.
    void text(std::string_view utf8)
    {
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

    std::string out_;
    bool first_ = true;
};

} // namespace

QString missingMemberError(const char* member)
{
    return QStringLiteral("The data couldn't be read because the member \"%1\" is missing.").arg(QLatin1String(member));
}

QString wrongTypeError(const char* member, const char* expected)
{
    return QStringLiteral("The data couldn't be read because the member \"%1\" is not a %2.")
        .arg(QLatin1String(member), QLatin1String(expected));
}

std::optional<Element> member(const dom::object& object, std::string_view name)
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

Result<QString> requiredText(const dom::object& object, const char* name)
{
    const auto value = member(object, name);
    if (!value)
        return Result<QString>::failure(missingMemberError(name));
    return textValue(*value, name);
}

Result<std::optional<QString>> optionalText(const dom::object& object, const char* name)
{
    const auto value = member(object, name);
    if (!value)
        return std::optional<QString>();
    auto text = textValue(*value, name);
    if (!text)
        return Result<std::optional<QString>>::failure(text.error());
    return std::optional<QString>(std::move(text).value());
}

Json toJson(const HSL& hsl)
{
    Json json = Json::object();
    json["hue"] = hsl.hue;
    json["saturation"] = hsl.saturation;
    json["lightness"] = hsl.lightness;
    return json;
}

Json toJson(const Icon& icon)
{
    Json json = Json::object();
    if (icon.url)
        json["url"] = icon.url->toEncoded().toStdString();
    if (icon.systemName)
        json["systemName"] = icon.systemName->toStdString();
    if (icon.emoji)
        json["emoji"] = icon.emoji->toStdString();
    json["name"] = icon.name.toStdString();
    if (icon.imageData)
        json["imageData"] = icon.imageData->toBase64().toStdString();
    return json;
}

Json toJson(const IconStyle& style)
{
    Json json = Json::object();
    json["type"] = IconStyle::rawValue(style.type()).toStdString();
    if (style.isColor())
        json["color"] = toJson(style.colorValue());
    return json;
}

Json toJson(const ColorizationData& data)
{
    Json json = Json::object();
    json["color"] = toJson(data.color);
    json["intensity"] = data.intensity;
    if (data.icon)
        json["icon"] = toJson(*data.icon);
    if (data.iconSize)
        json["iconSize"] = *data.iconSize;
    json["iconStyle"] = toJson(data.iconStyle);
    return json;
}

Result<HSL> hslFromJson(const Element& json)
{
    dom::object object;
    if (json.get_object().get(object))
        return Result<HSL>::failure(QStringLiteral("The data couldn't be read because a colour is not an object."));
    HSL hsl;
    for (auto [name, field] : {std::pair{"hue", &hsl.hue}, std::pair{"saturation", &hsl.saturation},
                               std::pair{"lightness", &hsl.lightness}}) {
        auto number = numberMember(object, name);
        if (!number)
            return Result<HSL>::failure(number.error());
        *field = *number;
    }
    return hsl;
}

// A history names the same few hundred glyph files thousands of times, and parsing a URL costs more than
// looking it up: each thread keeps the valid URLs it parsed last.
namespace {
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

// The bytes of an "imageData" text, or nothing when it is no strict Base64.
std::optional<QByteArray> imageBytes(const QString& text)
{
    const QByteArray base64 = text.toLatin1();
    auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!isStrictBase64(base64) || !decoded)
        return std::nullopt;
    return *decoded;
}

QString noValidUrlError()
{
    return QStringLiteral("The data couldn't be read because \"url\" is no valid URL.");
}

QString noValidBase64Error()
{
    return QStringLiteral("The data couldn't be read because \"imageData\" is no valid Base64.");
}

} // namespace

bool isValidUrlText(std::string_view text)
{
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view view) const { return std::hash<std::string_view>{}(view); }
    };
    thread_local std::unordered_set<std::string, Hash, std::equal_to<>> known;
    if (known.find(text) != known.end())
        return true;
    if (!validUrl(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))))
        return false;
    if (known.size() >= 1024)
        known.clear();
    known.emplace(text);
    return true;
}

bool isValidImageData(std::string_view text)
{
    return imageBytes(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))).has_value();
}

namespace {

// A string member's text as the parser holds it: nothing when missing or null (the caller decides whether
// that fails), a failure when of another type.
Result<std::optional<std::string_view>> stringMember(const dom::object& object, const char* name)
{
    const auto value = member(object, name);
    if (!value)
        return std::optional<std::string_view>();
    std::string_view text;
    if (value->get_string().get(text))
        return Result<std::optional<std::string_view>>::failure(wrongTypeError(name, "string"));
    return std::optional(text);
}

Result<void> checkIcon(const Element& json)
{
    using R = Result<void>;
    dom::object object;
    if (json.get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because an icon is not an object."));
    if (const auto name = stringMember(object, "name"); !name || !*name)
        return R::failure(name ? missingMemberError("name") : name.error());
    const auto url = stringMember(object, "url");
    const auto systemName = stringMember(object, "systemName");
    const auto emoji = stringMember(object, "emoji");
    const auto imageData = stringMember(object, "imageData");
    for (const auto* text : {&url, &systemName, &emoji, &imageData}) {
        if (!*text)
            return R::failure(text->error());
    }
    if (*url && !isValidUrlText(**url))
        return R::failure(noValidUrlError());
    if (*imageData && !isValidImageData(**imageData))
        return R::failure(noValidBase64Error());
    return R::success();
}

Result<void> checkIconStyle(const Element& json)
{
    using R = Result<void>;
    dom::object object;
    if (json.get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because an icon style is not an object."));
    const auto raw = stringMember(object, "type");
    if (!raw || !*raw)
        return R::failure(raw ? missingMemberError("type") : raw.error());
    const QUtf8StringView name(**raw);
    const auto type = IconStyle::styleType(name);
    if (!type)
        return R::failure(
            QStringLiteral("The data couldn't be read because \"%1\" is no icon style type.").arg(name.toString()));
    if (*type != IconStyle::StyleType::color)
        return R::success();
    const auto color = member(object, "color");
    if (!color)
        return R::failure(missingMemberError("color"));
    if (const auto hsl = hslFromJson(*color); !hsl)
        return R::failure(hsl.error());
    return R::success();
}

} // namespace

Result<Icon> iconFromJson(const Element& json)
{
    dom::object object;
    if (json.get_object().get(object))
        return Result<Icon>::failure(QStringLiteral("The data couldn't be read because an icon is not an object."));
    Icon icon;
    auto name = requiredText(object, "name");
    if (!name)
        return Result<Icon>::failure(name.error());
    icon.name = *name;

    auto url = optionalText(object, "url");
    auto systemName = optionalText(object, "systemName");
    auto emoji = optionalText(object, "emoji");
    auto imageData = optionalText(object, "imageData");
    for (const auto* text : {&url, &systemName, &emoji, &imageData}) {
        if (!*text)
            return Result<Icon>::failure(text->error());
    }
    if (*url) {
        icon.url = validUrl(**url);
        if (!icon.url)
            return Result<Icon>::failure(noValidUrlError());
    }
    icon.systemName = *systemName;
    icon.emoji = *emoji;
    if (*imageData) {
        icon.imageData = imageBytes(**imageData);
        if (!icon.imageData)
            return Result<Icon>::failure(noValidBase64Error());
    }
    return icon;
}

Result<Icon> iconFromJson(const Json& json)
{
    auto text = serialize(json);
    if (!text)
        return Result<Icon>::failure(text.error());
    // A parser of its own: the thread's parser may hold a document a caller is still reading.
    dom::parser parser;
    Element root;
    if (const auto error = parser.parse(text->constData(), static_cast<size_t>(text->size()), true).get(root))
        return Result<Icon>::failure(notInTheCorrectFormat(simdjson::error_message(error)));
    return iconFromJson(root);
}

Result<IconStyle> iconStyleFromJson(const Element& json)
{
    dom::object object;
    if (json.get_object().get(object))
        return Result<IconStyle>::failure(
            QStringLiteral("The data couldn't be read because an icon style is not an object."));
    auto raw = requiredText(object, "type");
    if (!raw)
        return Result<IconStyle>::failure(raw.error());
    const auto type = IconStyle::styleType(*raw);
    if (!type)
        return Result<IconStyle>::failure(
            QStringLiteral("The data couldn't be read because \"%1\" is no icon style type.").arg(*raw));
    switch (*type) {
    case IconStyle::StyleType::vibrant:
        return IconStyle::vibrant();
    case IconStyle::StyleType::original:
        return IconStyle::original();
    case IconStyle::StyleType::inverted:
        return IconStyle::inverted();
    case IconStyle::StyleType::color:
        break;
    }
    const auto color = member(object, "color");
    if (!color)
        return Result<IconStyle>::failure(missingMemberError("color"));
    auto hsl = hslFromJson(*color);
    if (!hsl)
        return Result<IconStyle>::failure(hsl.error());
    return IconStyle::color(*hsl);
}

Result<void> checkColorizationData(const Element& json)
{
    using R = Result<void>;
    dom::object object;
    if (json.get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because it isn't in the correct format."));
    const auto color = member(object, "color");
    if (!color)
        return R::failure(missingMemberError("color"));
    if (const auto hsl = hslFromJson(*color); !hsl)
        return R::failure(hsl.error());
    if (const auto intensity = numberMember(object, "intensity"); !intensity)
        return R::failure(intensity.error());
    if (const auto icon = member(object, "icon")) {
        if (auto checked = checkIcon(*icon); !checked)
            return checked;
    }
    if (const auto size = member(object, "iconSize"); size && !numberValue(*size))
        return R::failure(wrongTypeError("iconSize", "number"));
    const auto style = member(object, "iconStyle");
    if (!style)
        return R::failure(missingMemberError("iconStyle"));
    return checkIconStyle(*style);
}

Result<ColorizationData> colorizationDataFromJson(const Element& json)
{
    using R = Result<ColorizationData>;
    dom::object object;
    if (json.get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because it isn't in the correct format."));
    ColorizationData data;

    const auto color = member(object, "color");
    if (!color)
        return R::failure(missingMemberError("color"));
    auto hsl = hslFromJson(*color);
    if (!hsl)
        return R::failure(hsl.error());
    data.color = *hsl;

    auto intensity = numberMember(object, "intensity");
    if (!intensity)
        return R::failure(intensity.error());
    data.intensity = *intensity;

    if (const auto icon = member(object, "icon")) {
        auto decoded = iconFromJson(*icon);
        if (!decoded)
            return R::failure(decoded.error());
        data.icon = std::move(decoded).value();
    }
    if (const auto size = member(object, "iconSize")) {
        const auto number = numberValue(*size);
        if (!number)
            return R::failure(wrongTypeError("iconSize", "number"));
        data.iconSize = *number;
    }

    const auto style = member(object, "iconStyle");
    if (!style)
        return R::failure(missingMemberError("iconStyle"));
    auto iconStyle = iconStyleFromJson(*style);
    if (!iconStyle)
        return R::failure(iconStyle.error());
    data.iconStyle = *iconStyle;
    return data;
}

Result<QByteArray> serialize(const Json& json)
{
    if (containsNonFinite(json))
        return Result<QByteArray>::failure(QStringLiteral("Unable to encode a non-finite number in JSON."));
    std::string text;
    try {
        text = json.dump(-1, ' ', false, nlohmann::json::error_handler_t::strict);
    } catch (const nlohmann::json::exception& error) {
        return Result<QByteArray>::failure(QString::fromUtf8(error.what()));
    }
    // A '/' can only stand inside a string in JSON text, so escaping every one is exact.
    const auto slashes = std::count(text.cbegin(), text.cend(), '/');
    QByteArray bytes(static_cast<qsizetype>(text.size()) + slashes, Qt::Uninitialized);
    char* out = bytes.data();
    for (const char c : text) {
        if (c == '/')
            *out++ = '\\';
        *out++ = c;
    }
    return bytes;
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
    const Json tree = Json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (tree.is_discarded())
        return Result<Element>::failure(notInTheCorrectFormat(simdjson::error_message(error)));
    const std::string canonical = tree.dump();
    if (parser.parse(canonical).get(root))
        return Result<Element>::failure(notInTheCorrectFormat(simdjson::error_message(error)));
    return root;
}

Result<QByteArray> encode(const ColorizationData& data)
{
    if (!data.isFinite())
        return Result<QByteArray>::failure(QStringLiteral("Unable to encode a non-finite number in JSON."));
    StyleWriter writer;
    writer.write(data);
    return writer.bytes();
}

QByteArray quoted(const QString& text)
{
    StyleWriter writer;
    writer.quote(text);
    return writer.bytes();
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

Result<ColorizationData> decode(const QByteArray& bytes)
{
    auto json = parse(bytes);
    if (!json)
        return Result<ColorizationData>::failure(json.error());
    return colorizationDataFromJson(*json);
}

} // namespace pigmo::json
