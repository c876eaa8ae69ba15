#pragma once

#include "model/ColorizationData.h"
#include "model/Result.h"

#include <nlohmann/json.hpp>

#include <QByteArray>

// The JSON form of the style records, shared by the folder attribute and both history files.
//
// Writing: compact, members in the records' field order, absent optionals left out (never null), bytes as
// standard Base64, URLs as their encoded absolute text, forward slashes escaped ("\/"). A non-finite
// number makes the encoding fail. Reading: members by name in any order, unknown members ignored, a null
// optional is absent; a missing or null required member, a member of the wrong type, bad Base64, a bad
// URL or an unknown style type fails the whole decode.
namespace pigmo::json {

using Json = nlohmann::ordered_json;

Json toJson(const HSL& hsl);
Json toJson(const Icon& icon);
Json toJson(const IconStyle& style);
Json toJson(const ColorizationData& data);

Result<HSL> hslFromJson(const Json& json);
Result<Icon> iconFromJson(const Json& json);
Result<IconStyle> iconStyleFromJson(const Json& json);
Result<ColorizationData> colorizationDataFromJson(const Json& json);

// Compact UTF-8 text of a JSON value, forward slashes escaped; fails on non-finite numbers.
Result<QByteArray> serialize(const Json& json);
// Parses JSON text; fails with the parser's description.
Result<Json> parse(const QByteArray& bytes);

// The style as stored in the folder attribute and the history files.
Result<QByteArray> encode(const ColorizationData& data);
Result<ColorizationData> decode(const QByteArray& bytes);

// Helpers for records that embed a style: a member read by name, with the same failure texts.
QString missingMemberError(const char* member);
QString wrongTypeError(const char* member, const char* expected);
QString describe(const Json& json); // a short text for error messages: the JSON type name

} // namespace pigmo::json
