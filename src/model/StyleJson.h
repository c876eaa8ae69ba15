#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <QByteArray>

#include <string_view>

// The JSON form of the style records, shared by the folder attribute and both history files.
//
// Writing: compact, members in the records' field order, absent optionals left out (never null), bytes as
// standard Base64, URLs as their encoded absolute text, forward slashes escaped ("\/"). A non-finite
// number makes the encoding fail. Reading: members by name in any order, unknown members ignored, a null
// optional is absent; a missing or null required member, a member of the wrong type, bad Base64, a bad
// URL or an unknown style type fails the whole decode. Writing builds nlohmann trees (or writes the style
// directly); reading goes through simdjson's DOM.
namespace pigmo::json {

using Json = nlohmann::ordered_json;
using Element = simdjson::dom::element;

Json toJson(const HSL& hsl);
Json toJson(const Icon& icon);
Json toJson(const IconStyle& style);
Json toJson(const ColorizationData& data);

Result<HSL> hslFromJson(const Element& json);
Result<Icon> iconFromJson(const Element& json);
Result<IconStyle> iconStyleFromJson(const Element& json);
Result<ColorizationData> colorizationDataFromJson(const Element& json);
// The same verdict and failure text as `colorizationDataFromJson`, without building the style: nothing is
// allocated for a valid style but for its image data.
Result<void> checkColorizationData(const Element& json);
// Whether an icon's "url" text is a URL the decode accepts; remembers the valid texts this thread met last
// (no allocation for those).
bool isValidUrlText(std::string_view text);
// Whether an icon's "imageData" text is the strict Base64 the decode accepts.
bool isValidImageData(std::string_view text);
// The icon of a tree built in memory (read back through its text).
Result<Icon> iconFromJson(const Json& json);

// Compact UTF-8 text of a JSON value, forward slashes escaped; fails on non-finite numbers.
Result<QByteArray> serialize(const Json& json);
// The deepest nesting of arrays and objects a reader accepts; our formats need five levels. A deeper text
// is unreadable: nothing recursive ever runs over a tree read from outside.
inline constexpr size_t maxNestingDepth = 256;
// True when arrays and objects in `bytes` nest deeper than `maxNestingDepth` (strings skipped). One pass
// without recursion over any text, well-formed or not.
bool nestsTooDeep(const QByteArray& bytes);
// Parses JSON text with this thread's parser; fails with the parser's description, also for a text nested
// deeper than `maxNestingDepth`. The element (and every element reached from it) stays valid until the
// next `parse` on the same thread. A text followed by at least `parsePadding` bytes of spare capacity (see
// `withParsePadding`) is read where it lies; any other is copied first.
Result<Element> parse(const QByteArray& bytes);
inline constexpr qsizetype parsePadding = simdjson::SIMDJSON_PADDING;
// Whether the parser can read `bytes` where they lie: `parsePadding` spare bytes follow them in their buffer.
bool hasParsePadding(const QByteArray& bytes);
// An empty array whose first `size` bytes can be filled and then parsed without a copy.
QByteArray withParsePadding(qsizetype size);

// The style as stored in the folder attribute and the history files.
Result<QByteArray> encode(const ColorizationData& data);
Result<ColorizationData> decode(const QByteArray& bytes);
// A text as a JSON string, escaped as every string of these records is (forward slashes too).
QByteArray quoted(const QString& text);
// Whether `quotedText` is exactly `quoted` of the text whose UTF-8 is `utf8` (compared without building it).
bool isQuoted(QByteArrayView quotedText, std::string_view utf8);

// Helpers for records that embed a style: a member read by name, with the same failure texts.
QString missingMemberError(const char* member);
QString wrongTypeError(const char* member, const char* expected);
// The member `name` of `object`, or nothing when it is missing or null. When a name repeats, the last
// occurrence counts.
std::optional<Element> member(const simdjson::dom::object& object, std::string_view name);
// A required string member: missing/null and wrong type fail with the texts above.
Result<QString> requiredText(const simdjson::dom::object& object, const char* name);
// An optional string member: missing or null is an empty optional, a present non-string fails.
Result<std::optional<QString>> optionalText(const simdjson::dom::object& object, const char* name);

} // namespace pigmo::json
