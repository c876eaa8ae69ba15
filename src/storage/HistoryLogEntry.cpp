#include "storage/HistoryLogEntry.h"

#include <simdjson.h>

#include <algorithm>

namespace pigmo {
namespace {

// The decimal number of `length` ASCII digits at `position`, or -1.
int digits(std::string_view text, size_t position, size_t length)
{
    int value = 0;
    for (size_t i = position; i < position + length; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Seconds east of UTC of a "Z" or "+hh:mm"/"-hh:mm" designator, or nothing.
std::optional<int> offsetSeconds(std::string_view designator)
{
    if (designator == "Z")
        return 0;
    if (designator.size() != 6 || (designator[0] != '+' && designator[0] != '-') || designator[3] != ':')
        return std::nullopt;
    const int hours = digits(designator, 1, 2), minutes = digits(designator, 4, 2);
    if (hours < 0 || minutes < 0 || hours > 23 || minutes > 59)
        return std::nullopt;
    const int seconds = hours * 3600 + minutes * 60;
    return designator[0] == '-' ? -seconds : seconds;
}

QString invalidTimestampError(std::string_view text)
{
    return QStringLiteral("The data couldn't be read because \"%1\" is not an ISO 8601 date without fractional "
                          "seconds.")
        .arg(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace

QDateTime historyTimestampNow()
{
    return QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
}

namespace json {

QString timestampText(const QDateTime& timestamp)
{
    return timestamp.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

std::optional<QDateTime> timestampFromText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return timestampFromText(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

std::optional<QDateTime> timestampFromText(std::string_view text)
{
    // yyyy-MM-ddTHH:mm:ss followed by the zone designator; any byte beyond ASCII fails a check below
    constexpr size_t dateTimeLength = 19;
    if (text.size() <= dateTimeLength || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    const int fields[] = {digits(text, 0, 4),  digits(text, 5, 2),  digits(text, 8, 2),
                          digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2)};
    const QDate date(fields[0], fields[1], fields[2]);
    const QTime time(fields[3], fields[4], fields[5]);
    const auto offset = offsetSeconds(text.substr(dateTimeLength));
    if (std::ranges::any_of(fields, [](int field) { return field < 0; }) || !date.isValid() || !time.isValid() ||
        !offset)
        return std::nullopt;
    // Only a time whose UTC form has a four-digit year can be written back as it was read.
    const QDateTime utc = QDateTime(date, time, Qt::UTC).addSecs(-*offset);
    if (const int year = utc.date().year(); year < 1 || year > 9999)
        return std::nullopt;
    return utc;
}

void writeMembers(Writer& writer, const HistoryLogEntry& entry)
{
    writer.key("folderPath");
    writer.text(entry.folderPath);
    writer.key("data");
    write(writer, entry.data);
    writer.key("timestamp");
    writer.text(timestampText(entry.timestamp));
}

namespace {

void write(Writer& writer, const HistoryLogEntry& entry)
{
    writer.beginObject();
    writeMembers(writer, entry);
    writer.endObject();
}

// An entry's "timestamp" member.
Result<QDateTime> timestampMember(const Object& entry)
{
    using R = Result<QDateTime>;
    const auto text = requiredString(entry, "timestamp");
    if (!text)
        return R::failure(text.error());
    const auto parsed = timestampFromText(*text);
    if (!parsed)
        return R::failure(invalidTimestampError(*text));
    return *parsed;
}

} // namespace

Result<void> read(const Element& json, HistoryLogEntry* into)
{
    using R = Result<void>;
    const auto object = objectOf(json, "a history entry is not an object");
    if (!object)
        return R::failure(object.error());
    const auto path = requiredString(*object, "folderPath");
    if (!path)
        return R::failure(path.error());
    const auto data = member(*object, "data");
    if (!data)
        return R::failure(missingMemberError("data"));
    ColorizationData style;
    if (auto valid = read(*data, into ? &style : nullptr); !valid)
        return valid;
    auto timestamp = timestampMember(*object);
    if (!timestamp)
        return R::failure(timestamp.error());
    if (into)
        *into = HistoryLogEntry{QString::fromUtf8(path->data(), static_cast<qsizetype>(path->size())), std::move(style),
                                std::move(timestamp).value()};
    return R::success();
}

Result<QByteArray> encode(const HistoryLogEntry& entry)
{
    Writer writer;
    write(writer, entry);
    return writer.result();
}

Result<QByteArray> encodeLog(const QList<HistoryLogEntry>& entries)
{
    Writer writer;
    writer.beginArray();
    for (const HistoryLogEntry& entry : entries)
        write(writer, entry);
    writer.endArray();
    return writer.result();
}

namespace {

// Reads the log's entries one by one, each into `take` (which fails or not); fails with the first
// unreadable one.
template <class Take>
Result<void> forEachLogEntry(const QByteArray& bytes, Take take)
{
    auto json = parse(bytes);
    if (!json)
        return Result<void>::failure(json.error());
    simdjson::dom::array array;
    if (json->get_array().get(array))
        return Result<void>::failure(
            QStringLiteral("The data couldn't be read because it isn't in the correct format."));
    for (const Element element : array) {
        if (auto taken = take(element); !taken)
            return taken;
    }
    return Result<void>::success();
}

} // namespace

Result<QList<HistoryLogEntry>> decodeLog(const QByteArray& bytes)
{
    QList<HistoryLogEntry> entries;
    const Result<void> decoded = forEachLogEntry(bytes, [&entries](const Element& element) {
        HistoryLogEntry entry;
        auto valid = read(element, &entry);
        if (valid)
            entries.append(std::move(entry));
        return valid;
    });
    if (!decoded)
        return Result<QList<HistoryLogEntry>>::failure(decoded.error());
    return entries;
}

Result<void> checkLog(const QByteArray& bytes)
{
    return forEachLogEntry(
        bytes, [](const Element& element) { return read(element, static_cast<HistoryLogEntry*>(nullptr)); });
}

} // namespace json
} // namespace pigmo
