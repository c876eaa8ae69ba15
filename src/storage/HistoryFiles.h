#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <span>
#include <variant>

class QLockFile;

namespace pigmo {

using Done = Result<std::monostate>;

// The history's directory: whole-file reads, atomic whole-file writes (a temporary file that replaces the
// old one, synced to disk) and moving an unreadable file aside. Writers take `lock()` first: a lock file
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

    explicit HistoryFiles(QString directory);

    // The directory, created with its parents when missing (a failure shows in the file calls that follow).
    const QString& directory() const;
    QString filePath(const QString& name) const;
    bool exists(const QString& name) const;

    // Waits a few seconds at most for another process to finish its write.
    Lock lock() const;

    Result<QByteArray> read(const QString& name) const;
    // The caller holds the lock.
    Done write(const QString& name, const QByteArray& bytes) const;
    // The file's text is the pieces one after another (a long text need not be put together first).
    Done write(const QString& name, std::span<const QByteArrayView> pieces) const;
    // Renames the file to "<name>.corrupt-<UTC time>" (never over an existing file) and returns the new
    // path. The caller holds the lock.
    Result<QString> moveAside(const QString& name) const;

private:
    QString directory_;
};

} // namespace pigmo
