#include "storage/HistoryLogEntry.h"

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

Json toJson(const HistoryLogEntry& entry)
{
    Json json = Json::object();
    json["folderPath"] = entry.folderPath.toStdString();
    json["data"] = toJson(entry.data);
    json["timestamp"] = timestampText(entry.timestamp).toStdString();
    return json;
}

namespace {

// An entry's "timestamp" member, read as the decode and the check both read it.
Result<QDateTime> timestampMember(const simdjson::dom::object& entry)
{
    using R = Result<QDateTime>;
    const auto timestamp = member(entry, "timestamp");
    if (!timestamp)
        return R::failure(missingMemberError("timestamp"));
    std::string_view text;
    if (timestamp->get_string().get(text))
        return R::failure(wrongTypeError("timestamp", "string"));
    const auto parsed = timestampFromText(text);
    if (!parsed)
        return R::failure(invalidTimestampError(text));
    return *parsed;
}

} // namespace

Result<HistoryLogEntry> historyLogEntryFromJson(const Element& json)
{
    using R = Result<HistoryLogEntry>;
    simdjson::dom::object object;
    if (json.get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because a history entry is not an object."));
    HistoryLogEntry entry;

    auto path = requiredText(object, "folderPath");
    if (!path)
        return R::failure(path.error());
    entry.folderPath = std::move(path).value();

    const auto data = member(object, "data");
    if (!data)
        return R::failure(missingMemberError("data"));
    auto style = colorizationDataFromJson(*data);
    if (!style)
        return R::failure(style.error());
    entry.data = std::move(style).value();

    auto timestamp = timestampMember(object);
    if (!timestamp)
        return R::failure(timestamp.error());
    entry.timestamp = std::move(timestamp).value();
    return entry;
}

Result<QByteArray> encodeLog(const QList<HistoryLogEntry>& entries)
{
    Json array = Json::array();
    for (const HistoryLogEntry& entry : entries)
        array.push_back(toJson(entry));
    return serialize(array);
}

namespace {

// `historyLogEntryFromJson`'s verdict and failure text, without building the entry.
Result<void> checkHistoryLogEntry(const Element& json)
{
    using R = Result<void>;
    simdjson::dom::object object;
    if (json.get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because a history entry is not an object."));
    const auto path = member(object, "folderPath");
    if (!path)
        return R::failure(missingMemberError("folderPath"));
    if (!path->is_string())
        return R::failure(wrongTypeError("folderPath", "string"));
    const auto data = member(object, "data");
    if (!data)
        return R::failure(missingMemberError("data"));
    if (auto style = checkColorizationData(*data); !style)
        return style;
    if (auto timestamp = timestampMember(object); !timestamp)
        return R::failure(timestamp.error());
    return R::success();
}

// Reads the log's entries one by one, each handed to `take` (which fails or not); fails with the first
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
        auto entry = historyLogEntryFromJson(element);
        if (!entry)
            return Result<void>::failure(entry.error());
        entries.append(std::move(entry).value());
        return Result<void>::success();
    });
    if (!decoded)
        return Result<QList<HistoryLogEntry>>::failure(decoded.error());
    return entries;
}

Result<void> checkLog(const QByteArray& bytes)
{
    return forEachLogEntry(bytes, &checkHistoryLogEntry);
}

} // namespace json
} // namespace pigmo
