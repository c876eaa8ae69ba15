#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace pigmo {

// A file replaced whole. The new text goes to a file of its own in the same directory (without a name where
// the file system allows it), is synced to disk, and only then takes the old file's place, with the old
// file's permissions, in one rename. A failure on the way (a full disk, an I/O error, a short write, a failed
// sync) leaves the old file as it was and says why, in the system's words; a write that is not committed
// leaves nothing behind. Unlike QSaveFile, whose commit replaces the old file even when its last write or its
// sync failed. A symbolic link is written through: its target is replaced. The directory itself is not
// synced: after a crash it holds the old file or the new one, never a part of either. Paths reach the file
// system through encodeLocalPath, so any name's bytes are kept.
class WholeFile {
public:
    explicit WholeFile(const QString& path);
    // Discards the new file unless it was committed.
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Replaces the file at `path` with `bytes` in one go.
    static Result<void> replace(const QString& path, QByteArrayView bytes);

    const QString& path() const { return path_; }
    Result<void> open();
    // Writes all of `bytes`, small pieces gathered first (a short write is carried on: the write that fails
    // then says why).
    Result<void> write(QByteArrayView bytes);
    // Syncs what is written so far, so that the commit syncs only what follows.
    Result<void> sync();
    // How many bytes are written (gathered ones included).
    qint64 size() const { return size_ + buffer_.size(); }
    // Syncs the file and puts it in the old one's place; once only.
    Result<void> commit();

private:
    static constexpr qsizetype bufferSize = 64 * 1024;
    Result<void> flush();
    Result<void> writeOut(QByteArrayView bytes);
    void discard();

    QString path_;
    QByteArray target_;        // the bytes of the path replaced: the link's target for a symbolic link
    QByteArray temporaryName_; // the new file's name, while it has one
    int fd_ = -1;
    qint64 size_ = 0;   // written to the file
    QByteArray buffer_; // gathered, not written yet
};

} // namespace pigmo
