#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <variant>

class QLockFile;

namespace pigmo {

class WholeFile;

using Done = Result<std::monostate>;

// What identifies one version of a file: device, inode, size, modification time (ns); a replaced or rewritten
// file differs in one of these. Zeros: no file.
using FileIdentity = std::array<qint64, 4>;
FileIdentity fileIdentity(const QString& path);

// The history's directory: whole-file reads, atomic whole-file writes (a temporary file that replaces the
// old one, synced to disk; a write that fails on the way leaves the old file whole) and moving an
// unreadable file aside. Writers take `lock()` first: a lock file
// beside the data keeps two processes from interleaving their read-modify-write cycles. Readers need no
// lock, since a file is only ever replaced whole.
class HistoryFiles {
public:
    // Holds the directory's lock while it lives (when `held()`).
    class Lock {
    public:
        Lock(Lock&&) noexcept;
        ~Lock();
        // For a caller that already holds the lock further up: held, and releases nothing.
        static Lock alreadyHeld();
        bool held() const { return held_; }
        const QString& error() const { return error_; }

    private:
        friend class HistoryFiles;
        Lock(std::unique_ptr<QLockFile> file, QString error);
        std::unique_ptr<QLockFile> file_;
        QString error_;
        bool held_ = false;
    };

    // A whole-file write begun early: the start of the new text is written to a temporary file and synced
    // while there is time, and `write` adds the rest when the whole text is known. Dropped unused, it leaves
    // no file behind.
    class Draft {
    public:
        Draft(Draft&&) noexcept;
        Draft& operator=(Draft&&) noexcept;
        ~Draft();
        // How many bytes of the text it holds.
        qsizetype size() const { return size_; }

    private:
        friend class HistoryFiles;
        Draft(std::unique_ptr<WholeFile> file, qsizetype size);
        std::unique_ptr<WholeFile> file_;
        qsizetype size_ = 0;
    };

    // Runs a task later, on another thread.
    using Later = std::function<void(std::function<void()>)>;
    // `releaseLater`: where the space of a file a write replaced is freed (a millisecond's work for a few
    // megabytes); nothing: at once, by the write.
    explicit HistoryFiles(QString directory, Later releaseLater = {});

    // The directory, created with its parents when missing (a failure shows in the file calls that follow).
    const QString& directory() const;
    QString filePath(const QString& name) const;
    bool exists(const QString& name) const;

    // Waits a few seconds at most for another process to finish its write.
    Lock lock() const;

    // The whole file, in a buffer the JSON parser reads in place, with room for `room` more bytes after it
    // (appended then without moving the text).
    Result<QByteArray> read(const QString& name, qsizetype room = 0) const;
    // The caller holds the lock.
    Done write(const QString& name, const QByteArray& bytes) const;
    // The file's text is the pieces one after another (a long text need not be put together first). With a
    // draft of this file, only the pieces past its first `draft->size()` bytes are added to it, which the
    // caller vouches are the draft's.
    Done write(const QString& name, std::span<const QByteArrayView> pieces,
               std::optional<Draft> draft = std::nullopt) const;
    // The start of a later write of the file; nothing when it could not be written (that write then
    // writes the whole text and says why it fails, if it does). Needs no lock: nothing is replaced yet.
    std::optional<Draft> draft(const QString& name, std::span<const QByteArrayView> start) const;
    // Renames the file to "<name>.corrupt-<UTC time>" (never over an existing file) and returns the new
    // path. The caller holds the lock.
    Result<QString> moveAside(const QString& name) const;

private:
    QString directory_;
    Later releaseLater_;
};

} // namespace pigmo
