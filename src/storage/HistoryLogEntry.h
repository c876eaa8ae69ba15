#pragma once

#include "base/Result.h"
#include "model/ColorizationData.h"
#include "model/StyleJson.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace pigmo {

// One applied change: which folder, which style, when (UTC, whole seconds).
struct HistoryLogEntry {
    QString folderPath;
    ColorizationData data;
    QDateTime timestamp;

    friend bool operator==(const HistoryLogEntry&, const HistoryLogEntry&) = default;
};

// The current time as the history stores it: UTC, truncated to whole seconds.
QDateTime historyTimestampNow();

namespace json {

// ISO 8601 internet date-time: written "2025-03-01T09:30:00Z"; read with "Z" or a "+hh:mm" offset and
// never with fractional seconds; a time whose UTC year falls outside 1 to 9999 (which could not be
// written back in the same form) is not read.
QString timestampText(const QDateTime& timestamp);
std::optional<QDateTime> timestampFromText(const QString& text);
std::optional<QDateTime> timestampFromText(std::string_view utf8);

// The entry record: {"folderPath": ..., "data": {...}, "timestamp": "..."}; all three members required when
// reading. `writeMembers` writes them into an object the caller has begun (a record that embeds an entry's
// members among its own); `read` reads them from an object that may hold others.
void writeMembers(Writer& writer, const HistoryLogEntry& entry);
Result<void> read(const Element& json, HistoryLogEntry* into);
// One entry alone, as the log holds it.
Result<QByteArray> encode(const HistoryLogEntry& entry);

// The history log file: a JSON array of entries, oldest first. One unreadable entry fails the whole log.
Result<QByteArray> encodeLog(const QList<HistoryLogEntry>& entries);
Result<QList<HistoryLogEntry>> decodeLog(const QByteArray& bytes);
// The same decode that keeps no entry: fails exactly when `decodeLog` does, with the same error.
Result<void> checkLog(const QByteArray& bytes);

} // namespace json
} // namespace pigmo
