#include "model/StyleJson.h"

#include <nlohmann/detail/conversions/to_chars.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace pigmo::json {
namespace {

// A member that must be present and non-null.
const Json* required(const Json& object, const char* member)
{
    const auto it = object.find(member);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

// A member that may be missing or null.
const Json* optional(const Json& object, const char* member)
{
    return required(object, member);
}

Result<double> numberMember(const Json& object, const char* member)
{
    const Json* value = required(object, member);
    if (!value)
        return Result<double>::failure(missingMemberError(member));
    if (!value->is_number())
        return Result<double>::failure(wrongTypeError(member, "number"));
    return value->get<double>();
}

Result<QString> textMember(const Json& value, const char* member)
{
    if (!value.is_string())
        return Result<QString>::failure(wrongTypeError(member, "string"));
    return QString::fromStdString(value.get<std::string>());
}

Result<QString> requiredText(const Json& object, const char* member)
{
    const Json* value = required(object, member);
    if (!value)
        return Result<QString>::failure(missingMemberError(member));
    return textMember(*value, member);
}

// Absent (missing or null) gives an empty optional; a present member of the wrong type fails.
Result<std::optional<QString>> optionalText(const Json& object, const char* member)
{
    const Json* value = optional(object, member);
    if (!value)
        return std::optional<QString>();
    auto text = textMember(*value, member);
    if (!text)
        return Result<std::optional<QString>>::failure(text.error());
    return std::optional<QString>(*text);
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

    QByteArray bytes() const { return out_; }

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
        out_.append('{');
        first_ = true;
    }
    void close()
    {
        out_.append('}');
        first_ = false;
    }
    void key(const char* name)
    {
        if (!first_)
            out_.append(',');
        first_ = false;
        out_.append('"').append(name).append("\":");
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
        out_.append('"');
        for (const QChar c : ascii)
            out_.append(static_cast<char>(c.unicode()));
        out_.append('"');
    }

    static bool needsEscape(char c)
    {
        return c == '"' || c == '\\' || c == '/' || static_cast<unsigned char>(c) < 0x20;
    }

    // JSON string escaping as the tree writer does it, plus escaped forward slashes.
    void text(const QByteArray& utf8)
    {
        static constexpr char hex[] = "0123456789abcdef";
        out_.append('"');
        const char* run = utf8.constBegin();
        for (const char* it = run; it != utf8.constEnd(); ++it) {
            const char c = *it;
            if (!needsEscape(c))
                continue;
            out_.append(run, it - run);
            run = it + 1;
            switch (c) {
            case '"':
                out_.append("\\\"");
                break;
            case '\\':
                out_.append("\\\\");
                break;
            case '/':
                out_.append("\\/");
                break;
            case '\b':
                out_.append("\\b");
                break;
            case '\f':
                out_.append("\\f");
                break;
            case '\n':
                out_.append("\\n");
                break;
            case '\r':
                out_.append("\\r");
                break;
            case '\t':
                out_.append("\\t");
                break;
            default:
                out_.append("\\u00").append(hex[(c >> 4) & 0xF]).append(hex[c & 0xF]);
            }
        }
        out_.append(run, utf8.constEnd() - run);
        out_.append('"');
    }

    QByteArray out_;
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

QString describe(const Json& json)
{
    return QString::fromUtf8(json.type_name());
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

Result<HSL> hslFromJson(const Json& json)
{
    if (!json.is_object())
        return Result<HSL>::failure(QStringLiteral("The data couldn't be read because a colour is not an object."));
    HSL hsl;
    for (auto [member, field] : {std::pair{"hue", &hsl.hue}, std::pair{"saturation", &hsl.saturation},
                                 std::pair{"lightness", &hsl.lightness}}) {
        auto number = numberMember(json, member);
        if (!number)
            return Result<HSL>::failure(number.error());
        *field = *number;
    }
    return hsl;
}

Result<Icon> iconFromJson(const Json& json)
{
    if (!json.is_object())
        return Result<Icon>::failure(QStringLiteral("The data couldn't be read because an icon is not an object."));
    Icon icon;
    auto name = requiredText(json, "name");
    if (!name)
        return Result<Icon>::failure(name.error());
    icon.name = *name;

    auto url = optionalText(json, "url");
    auto systemName = optionalText(json, "systemName");
    auto emoji = optionalText(json, "emoji");
    auto imageData = optionalText(json, "imageData");
    for (const auto* member : {&url, &systemName, &emoji, &imageData}) {
        if (!*member)
            return Result<Icon>::failure(member->error());
    }
    if (*url) {
        const QUrl parsed(**url, QUrl::StrictMode);
        if (parsed.isEmpty() || !parsed.isValid())
            return Result<Icon>::failure(QStringLiteral("The data couldn't be read because \"url\" is no valid URL."));
        icon.url = parsed;
    }
    icon.systemName = *systemName;
    icon.emoji = *emoji;
    if (*imageData) {
        const QByteArray base64 = (*imageData)->toLatin1();
        auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
        if (!isStrictBase64(base64) || !decoded)
            return Result<Icon>::failure(
                QStringLiteral("The data couldn't be read because \"imageData\" is no valid Base64."));
        icon.imageData = *decoded;
    }
    return icon;
}

Result<IconStyle> iconStyleFromJson(const Json& json)
{
    if (!json.is_object())
        return Result<IconStyle>::failure(
            QStringLiteral("The data couldn't be read because an icon style is not an object."));
    auto raw = requiredText(json, "type");
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
    const Json* color = required(json, "color");
    if (!color)
        return Result<IconStyle>::failure(missingMemberError("color"));
    auto hsl = hslFromJson(*color);
    if (!hsl)
        return Result<IconStyle>::failure(hsl.error());
    return IconStyle::color(*hsl);
}

Result<ColorizationData> colorizationDataFromJson(const Json& json)
{
    using R = Result<ColorizationData>;
    if (!json.is_object())
        return R::failure(QStringLiteral("The data couldn't be read because it isn't in the correct format."));
    ColorizationData data;

    const Json* color = required(json, "color");
    if (!color)
        return R::failure(missingMemberError("color"));
    auto hsl = hslFromJson(*color);
    if (!hsl)
        return R::failure(hsl.error());
    data.color = *hsl;

    auto intensity = numberMember(json, "intensity");
    if (!intensity)
        return R::failure(intensity.error());
    data.intensity = *intensity;

    if (const Json* icon = optional(json, "icon")) {
        auto decoded = iconFromJson(*icon);
        if (!decoded)
            return R::failure(decoded.error());
        data.icon = *decoded;
    }
    if (const Json* size = optional(json, "iconSize")) {
        if (!size->is_number())
            return R::failure(wrongTypeError("iconSize", "number"));
        data.iconSize = size->get<double>();
    }

    const Json* style = required(json, "iconStyle");
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

Result<Json> parse(const QByteArray& bytes)
{
    try {
        return Json::parse(bytes.constBegin(), bytes.constEnd());
    } catch (const nlohmann::json::exception& error) {
        return Result<Json>::failure(
            QStringLiteral("The data couldn't be read because it isn't in the correct format. (%1)")
                .arg(QString::fromUtf8(error.what())));
    }
}

Result<QByteArray> encode(const ColorizationData& data)
{
    if (!data.isFinite())
        return Result<QByteArray>::failure(QStringLiteral("Unable to encode a non-finite number in JSON."));
    StyleWriter writer;
    writer.write(data);
    return writer.bytes();
}

Result<ColorizationData> decode(const QByteArray& bytes)
{
    auto json = parse(bytes);
    if (!json)
        return Result<ColorizationData>::failure(json.error());
    return colorizationDataFromJson(*json);
}

} // namespace pigmo::json
