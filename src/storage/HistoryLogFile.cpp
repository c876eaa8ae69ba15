#include "storage/HistoryLogFile.h"

#include "storage/ColorizationHistoryStore.h"

#include <span>
#include <utility>

namespace pigmo {

bool appendToLogText(QByteArray& array, const HistoryLogEntry& entry)
{
    const auto encoded = json::encode(entry);
    if (!encoded || !array.endsWith(']'))
        return false;
    array.chop(1);
    if (!array.trimmed().endsWith('['))
        array.append(',');
    array.append(*encoded).append(']');
    return true;
}

std::optional<KnownLog> KnownLog::read(const HistoryFiles& files, qsizetype draftThreshold)
{
    const QString& name = ColorizationHistoryStore::logFileName;
    if (!files.exists(name))
        return std::nullopt;
    const FileIdentity identity = fileIdentity(files.filePath(name));
    // Read with room for the batch's entries, which go in place with no copy of the log.
    const auto bytes = files.read(name, appendRoom);
    if (!bytes)
        return std::nullopt;
    // Checking a long log takes a while: done on the side, waited for by the first append. The check lets
    // go of its share of the text when done, so that the batch's append changes the text in place instead
    // of copying it.
    auto readable = std::async(
        std::launch::async, [text = *bytes]() mutable { return json::checkLog(std::exchange(text, {})).hasValue(); });
    KnownLog log{bytes->trimmed(), identity, readable.share(), std::nullopt};
    // The batch appends its entries before the closing bracket: all that comes before it is written now,
    // while the batch runs. When the batch appends to another text after all, the draft is dropped unused.
    if (log.text.size() >= draftThreshold && log.text.endsWith(']')) {
        const QByteArrayView start = QByteArrayView(log.text).chopped(1);
        log.draft = files.draft(name, std::span(&start, 1));
    }
    return log;
}

KnownLog KnownLog::written(QByteArray text, const FileIdentity& identity)
{
    std::promise<bool> readable;
    readable.set_value(true);
    return KnownLog{std::move(text), identity, readable.get_future().share(), std::nullopt};
}

bool KnownLog::isFile(const FileIdentity& current) const
{
    return identity == current && readable.get();
}

} // namespace pigmo
