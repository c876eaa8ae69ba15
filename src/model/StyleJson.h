#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <string_view>

// The reader's value types; a source file that reads a record includes <simdjson.h>.
namespace simdjson::dom {
class element;
class object;
} // namespace simdjson::dom

// The JSON form of the style records, shared by the folder attribute, both history files and the styling
// journal.
//
// Writing: compact, members in the records' field order, absent optionals left out (never null), bytes as
// standard Base64, URLs as their encoded absolute text, forward slashes escaped ("\/"). A non-finite
// number makes the encoding fail. Reading: members by name in any order, unknown members ignored, a null
// optional is absent; a missing or null required member, a member of the wrong type, bad Base64, a bad
// URL or an unknown style type fails the whole decode.
//
// Each record has one writer and one reader. A reader fills the record it is given; given none, it is a
// check: the same verdict and the same failure, with nothing kept.
namespace pigmo::json {

using Element = simdjson::dom::element;
using Object = simdjson::dom::object;

// Writes compact JSON text. Values follow one another with the commas between them put in; a value
// after `key` is that member's.
class Writer {
public:
    Writer();

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    // A member name that needs no escaping (this program's own names).
    void key(std::string_view name);
    // The shortest text that reads back as `value`; a non-finite one fails `result`.
    void number(double value);
    void number(quint64 value);
    void text(const QString& value);
    void text(std::string_view utf8);

    // The text written, or a failure when a number was not finite.
    Result<QByteArray> result() const;

private:
    void beforeValue();
    void open(char bracket);
    void close(char bracket);

    std::string out_;
    bool first_ = true;     // nothing written yet in the open object or array
    bool afterKey_ = false; // the next value is a member's
    bool finite_ = true;
};

// The style record.
void write(Writer& writer, const ColorizationData& data);
Result<void> read(const Element& json, ColorizationData* into);

// The style as stored in the folder attribute and the history files.
Result<QByteArray> encode(const ColorizationData& data);
Result<ColorizationData> decode(const QByteArray& bytes);
// A text as a JSON string, escaped as every string of these records is (forward slashes too).
QByteArray quoted(const QString& text);
// Whether `quotedText` is exactly `quoted` of the text whose UTF-8 is `utf8` (compared without building it).
bool isQuoted(QByteArrayView quotedText, std::string_view utf8);

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
inline constexpr qsizetype parsePadding = 64;
// Whether the parser can read `bytes` where they lie: `parsePadding` spare bytes follow them in their buffer.
bool hasParsePadding(const QByteArray& bytes);
// An empty array whose first `size` bytes can be filled and then parsed without a copy.
QByteArray withParsePadding(qsizetype size);

// Helpers for records that embed a style: a member read by name, with the same failure texts.
QString missingMemberError(const char* member);
QString wrongTypeError(const char* member, const char* expected);
// `json` as an object, or the failure "The data couldn't be read because <what>.".
Result<Object> objectOf(const Element& json, const char* what);
// The member `name` of `object`, or nothing when it is missing or null. When a name repeats, the last
// occurrence counts.
std::optional<Element> member(const Object& object, std::string_view name);
// A required string member: missing/null and wrong type fail with the texts above.
Result<QString> requiredText(const Object& object, const char* name);
// A string member as the parser holds it: nothing when missing or null, a failure when of another type.
Result<std::optional<std::string_view>> stringMember(const Object& object, const char* name);
// `requiredText` as the parser holds it, with no copy.
Result<std::string_view> requiredString(const Object& object, const char* name);
// An optional string member: missing or null is an empty optional, a present non-string fails.
Result<std::optional<QString>> optionalText(const Object& object, const char* name);

} // namespace pigmo::json
