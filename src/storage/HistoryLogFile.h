#pragma once

#include "storage/HistoryFiles.h"
#include "storage/HistoryLogEntry.h"

#include <QByteArray>

#include <future>
#include <optional>

// The text of the history log ("history_log.json"): one JSON array of entries, oldest first, to which a
// write appends without decoding what is there.
namespace pigmo {

// Appends an entry to the text of a valid JSON array; false (the text as it was) when the text is not one
// or the entry cannot be encoded.
bool appendToLogText(QByteArray& array, const HistoryLogEntry& entry);

// The log file as a writer last read or wrote it; while the file is still that one, appending needs no new
// read.
struct KnownLog {
    QByteArray text;
    FileIdentity identity{};
    std::shared_future<bool> readable;        // whether every entry decodes; checked off the reading thread
    std::optional<HistoryFiles::Draft> draft; // the text but its closing bracket, for the next append

    // Room kept after the text read, for the entries a batch appends (only touched pages take memory).
    static constexpr qsizetype appendRoom = 256 * 1024;
    // The file read with room for appends; its check starts on the side. A text of at least
    // `draftThreshold` bytes is written ahead but for its closing bracket. Nothing when there is no file or
    // it cannot be read (its write then says why).
    static std::optional<KnownLog> read(const HistoryFiles& files, qsizetype draftThreshold);
    // The text just written as the file `identity`: known to be readable.
    static KnownLog written(QByteArray text, const FileIdentity& identity);
    // Whether the file as it is now (`current`) is this one and every entry decodes; waits for the check.
    bool isFile(const FileIdentity& current) const;
};

} // namespace pigmo
