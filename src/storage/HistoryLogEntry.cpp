#include "storage/HistoryLogEntry.h"

#include <algorithm>

namespace pigmo {
namespace {

// The decimal number of `length` ASCII digits at `position`, or -1.
int digits(const QString& text, qsizetype position, qsizetype length)
{
    int value = 0;
    for (qsizetype i = position; i < position + length; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// Seconds east of UTC of a "Z" or "+hh:mm"/"-hh:mm" designator, or nothing.
std::optional<int> offsetSeconds(QStringView designator)
{
    if (designator == u"Z")
        return 0;
    if (designator.size() != 6 || (designator[0] != u'+' && designator[0] != u'-') || designator[3] != u':')
        return std::nullopt;
    const QString text = designator.toString();
    const int hours = digits(text, 1, 2), minutes = digits(text, 4, 2);
    if (hours < 0 || minutes < 0 || hours > 23 || minutes > 59)
        return std::nullopt;
    const int seconds = hours * 3600 + minutes * 60;
    return designator[0] == u'-' ? -seconds : seconds;
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
    // yyyy-MM-ddTHH:mm:ss followed by the zone designator
    constexpr qsizetype dateTimeLength = 19;
    if (text.size() <= dateTimeLength || text[4] != u'-' || text[7] != u'-' || text[10] != u'T' || text[13] != u':' ||
        text[16] != u':')
        return std::nullopt;
    const int fields[] = {digits(text, 0, 4),  digits(text, 5, 2),  digits(text, 8, 2),
                          digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2)};
    const QDate date(fields[0], fields[1], fields[2]);
    const QTime time(fields[3], fields[4], fields[5]);
    const auto offset = offsetSeconds(QStringView(text).mid(dateTimeLength));
    if (std::ranges::any_of(fields, [](int field) { return field < 0; }) || !date.isValid() || !time.isValid() ||
        !offset)
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC).addSecs(-*offset);
}

Json toJson(const HistoryLogEntry& entry)
{
    Json json = Json::object();
    json["folderPath"] = entry.folderPath.toStdString();
    json["data"] = toJson(entry.data);
    json["timestamp"] = timestampText(entry.timestamp).toStdString();
    return json;
}

Result<HistoryLogEntry> historyLogEntryFromJson(const Json& json)
{
    using R = Result<HistoryLogEntry>;
    if (!json.is_object())
        return R::failure(QStringLiteral("The data couldn't be read because a history entry is not an object."));
    HistoryLogEntry entry;

    const auto path = json.find("folderPath");
    if (path == json.end() || path->is_null())
        return R::failure(missingMemberError("folderPath"));
    if (!path->is_string())
        return R::failure(wrongTypeError("folderPath", "string"));
    entry.folderPath = QString::fromStdString(path->get<std::string>());

    const auto data = json.find("data");
    if (data == json.end() || data->is_null())
        return R::failure(missingMemberError("data"));
    auto style = colorizationDataFromJson(*data);
    if (!style)
        return R::failure(style.error());
    entry.data = std::move(style).value();

    const auto timestamp = json.find("timestamp");
    if (timestamp == json.end() || timestamp->is_null())
        return R::failure(missingMemberError("timestamp"));
    if (!timestamp->is_string())
        return R::failure(wrongTypeError("timestamp", "string"));
    const QString text = QString::fromStdString(timestamp->get<std::string>());
    const auto parsed = timestampFromText(text);
    if (!parsed)
        return R::failure(
            QStringLiteral("The data couldn't be read because \"%1\" is not an ISO 8601 date without fractional "
                           "seconds.")
                .arg(text));
    entry.timestamp = *parsed;
    return entry;
}

Result<QByteArray> encodeLog(const QList<HistoryLogEntry>& entries)
{
    Json array = Json::array();
    for (const HistoryLogEntry& entry : entries)
        array.push_back(toJson(entry));
    return serialize(array);
}

Result<QList<HistoryLogEntry>> decodeLog(const QByteArray& bytes)
{
    using R = Result<QList<HistoryLogEntry>>;
    auto json = parse(bytes);
    if (!json)
        return R::failure(json.error());
    if (!json->is_array())
        return R::failure(QStringLiteral("The data couldn't be read because it isn't in the correct format."));
    QList<HistoryLogEntry> entries;
    entries.reserve(static_cast<qsizetype>(json->size()));
    for (const Json& element : *json) {
        auto entry = historyLogEntryFromJson(element);
        if (!entry)
            return R::failure(entry.error());
        entries.append(std::move(entry).value());
    }
    return entries;
}

} // namespace json
} // namespace pigmo
