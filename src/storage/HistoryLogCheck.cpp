#include "storage/HistoryLogCheck.h"

#include "model/StyleJson.h"
#include "storage/HistoryLogEntry.h"

#include <simdjson.h>

#include <array>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

namespace pigmo::json {
namespace {

namespace od = simdjson::ondemand;

// Nesting beyond this is left to the full check (an entry's deepest member is four levels below the log).
constexpr int deepest = 8;

// What the last occurrence of a member left (the decode reads the last one; a null member is absent).
enum class Seen { absent, null, valid };

// Each of these says whether the value passed; a value that does not is never read again.
bool anyValue(od::value& value, int depth);

bool isNullValue(od::value& value)
{
    bool isNull = false;
    return !value.is_null().get(isNull) && isNull;
}

bool number(od::value& value)
{
    od::number parsed;
    return !value.get_number().get(parsed) && std::isfinite(parsed.as_double());
}

bool text(od::value& value, std::string_view& out)
{
    return !value.get_string().get(out);
}

// A member name written with an escape may spell one of the names looked for: left to the full check.
bool isEscaped(const od::raw_json_string& key)
{
    for (const char* c = key.raw(); *c != '"'; ++c) {
        if (*c == '\\')
            return true;
    }
    return false;
}

// Walks an object's members. Those named in `names` must be null or pass `take(index, value, depth)`, and
// `seen[index]` keeps what the last of each name left; every other member must be well-formed JSON.
template <std::size_t N, class Take>
bool members(od::value& value, const std::array<std::string_view, N>& names, std::array<Seen, N>& seen, int depth,
             Take take)
{
    od::object object;
    if (depth > deepest || value.get_object().get(object))
        return false;
    for (auto result : object) {
        od::field field;
        if (std::move(result).get(field))
            return false;
        const od::raw_json_string key = field.key();
        std::size_t index = 0;
        while (index < N && !(key == names[index]))
            ++index;
        if (index == N) {
            if (isEscaped(key) || !anyValue(field.value(), depth + 1))
                return false;
            continue;
        }
        od::json_type type;
        if (field.value().type().get(type))
            return false;
        if (type == od::json_type::null) {
            if (!isNullValue(field.value()))
                return false;
            seen[index] = Seen::null;
        } else if (take(index, field.value(), depth + 1)) {
            seen[index] = Seen::valid;
        } else {
            return false;
        }
    }
    return true;
}

bool anyValue(od::value& value, int depth)
{
    od::json_type type;
    if (depth > deepest || value.type().get(type))
        return false;
    switch (type) {
    case od::json_type::array: {
        od::array array;
        if (value.get_array().get(array))
            return false;
        for (auto result : array) {
            od::value element;
            if (std::move(result).get(element) || !anyValue(element, depth + 1))
                return false;
        }
        return true;
    }
    case od::json_type::object: {
        std::array<Seen, 0> none;
        return members(value, std::array<std::string_view, 0>{}, none, depth,
                       [](std::size_t, od::value&, int) { return false; });
    }
    case od::json_type::number:
        return number(value);
    case od::json_type::string: {
        std::string_view ignored;
        return text(value, ignored);
    }
    case od::json_type::boolean: {
        bool ignored = false;
        return !value.get_bool().get(ignored);
    }
    case od::json_type::null:
        return isNullValue(value);
    }
    return false;
}

bool hsl(od::value& value, int depth)
{
    static constexpr std::array<std::string_view, 3> names{"hue", "saturation", "lightness"};
    std::array<Seen, 3> seen{};
    const bool read =
        members(value, names, seen, depth, [](std::size_t, od::value& part, int) { return number(part); });
    return read && seen == std::array{Seen::valid, Seen::valid, Seen::valid};
}

bool icon(od::value& value, int depth)
{
    enum { name, url, systemName, emoji, imageData };
    static constexpr std::array<std::string_view, 5> names{"name", "url", "systemName", "emoji", "imageData"};
    std::array<Seen, 5> seen{};
    const bool read = members(value, names, seen, depth, [](std::size_t index, od::value& part, int) {
        std::string_view content;
        if (!text(part, content))
            return false;
        if (index == url)
            return isValidUrlText(content);
        return index != imageData || isValidImageData(content);
    });
    return read && seen[name] == Seen::valid;
}

bool iconStyle(od::value& value, int depth)
{
    enum { type, color };
    static constexpr std::array<std::string_view, 2> names{"type", "color"};
    std::array<Seen, 2> seen{};
    std::string_view typeName;
    const bool read = members(value, names, seen, depth, [&typeName](std::size_t index, od::value& part, int level) {
        return index == type ? text(part, typeName) : hsl(part, level);
    });
    if (!read || seen[type] != Seen::valid)
        return false;
    const auto styleType = IconStyle::styleType(QUtf8StringView(typeName));
    return styleType && (*styleType != IconStyle::StyleType::color || seen[color] == Seen::valid);
}

bool style(od::value& value, int depth)
{
    enum { color, intensity, iconMember, iconSize, iconStyleMember };
    static constexpr std::array<std::string_view, 5> names{"color", "intensity", "icon", "iconSize", "iconStyle"};
    std::array<Seen, 5> seen{};
    const bool read = members(value, names, seen, depth, [](std::size_t index, od::value& part, int level) {
        switch (index) {
        case color:
            return hsl(part, level);
        case iconMember:
            return icon(part, level);
        case iconStyleMember:
            return iconStyle(part, level);
        default:
            return number(part);
        }
    });
    return read && seen[color] == Seen::valid && seen[intensity] == Seen::valid && seen[iconStyleMember] == Seen::valid;
}

bool entry(od::value& value)
{
    enum { folderPath, data, timestamp };
    static constexpr std::array<std::string_view, 3> names{"folderPath", "data", "timestamp"};
    std::array<Seen, 3> seen{};
    const bool read = members(value, names, seen, 1, [](std::size_t index, od::value& part, int level) {
        std::string_view content;
        switch (index) {
        case data:
            return style(part, level);
        case timestamp:
            return text(part, content) && timestampFromText(content).has_value();
        default:
            return text(part, content);
        }
    });
    return read && seen == std::array{Seen::valid, Seen::valid, Seen::valid};
}

} // namespace

bool surelyReadableLog(const QByteArray& bytes)
{
    od::parser parser; // its buffers go with it: a log is checked now and then, and may be megabytes long
    const auto size = static_cast<std::size_t>(bytes.size());
    std::optional<simdjson::padded_string> copy;
    if (!hasParsePadding(bytes))
        copy.emplace(bytes.constData(), size);
    const simdjson::padded_string_view padded =
        copy ? simdjson::padded_string_view(*copy)
             : simdjson::padded_string_view(bytes.constData(), size, size + std::size_t(parsePadding));
    od::document document;
    od::array entries;
    if (parser.iterate(padded).get(document) || document.get_array().get(entries))
        return false;
    for (auto result : entries) {
        od::value element;
        if (std::move(result).get(element) || !entry(element))
            return false;
    }
    // The whole text was read, up to its last bracket.
    return document.is_alive() && document.current_location().error() == simdjson::OUT_OF_BOUNDS;
}

} // namespace pigmo::json
