#pragma once

#include "base/Result.h"
#include "base/ThreadSafety.h"
#include "storage/HistoryLogEntry.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace pigmo {

// The folder styles a process is writing, in a file of its own in the data folder
// ("styling-XXXXXX.journal", see docs/formats.md), so that a process killed in the middle of styling leaves
// what the next start needs: every folder whose icon it began to write, the style and the time its history
// record carries, the stored icon it was given and the icon entries it had before; and how each ended.
//
// The writing process holds an exclusive `flock` on its file as long as it has it open, so a start tells a
// journal left by a process that is gone (`left`) from one still being written. The file is removed once
// every folder it names has ended and its record is in the history files (`discardIfSettled`).
class StylingJournal {
public:
    enum class Outcome { styled, undone };

    // One folder's style as it is about to be written.
    struct Intent {
        quint64 id = 0;        // unique within its journal
        HistoryLogEntry entry; // the folder, its style and its record's time
        QString icon;          // the stored PNG the icon entries are to name
        QString previousGvfsIcon;
        QString previousDirectoryIcon;
        std::optional<Outcome> outcome; // as read back: how it ended, when the journal says so

        friend bool operator==(const Intent&, const Intent&) = default;
    };

    struct Contents {
        QList<Intent> intents; // in the order they were begun
        qsizetype unreadableLines = 0;
    };

    static inline const QString filePrefix = QStringLiteral("styling-");
    static inline const QString fileSuffix = QStringLiteral(".journal");

    // The journal of this process in `directory`; no file is made before the first intent.
    explicit StylingJournal(QString directory);
    // Closes the file and lets go of its lock; a file not discarded stays for the next start.
    ~StylingJournal();
    StylingJournal(const StylingJournal&) = delete;
    StylingJournal& operator=(const StylingJournal&) = delete;

    // Appends an intent under a new id and syncs it to the disk before returning the id. Thread-safe.
    Result<quint64> begin(Intent intent);
    // Appends how an intent ended. `styled` intents count as unrecorded until `recorded`. Thread-safe.
    void end(quint64 id, Outcome outcome);
    // One styled intent's history record is made.
    void recorded();
    // Removes the file when every intent has ended and every styled one is recorded (the caller vouches that
    // those records are written). True when no file is left. Thread-safe.
    bool discardIfSettled();
    // The file being written, or empty.
    QString filePath() const;

    // The text of one intent and of one end, each one line.
    static Result<QByteArray> intentLine(const Intent& intent);
    static QByteArray endLine(quint64 id, Outcome outcome);
    // Reads a journal's text: a line that cannot be read (a write cut short) is counted and skipped, and an
    // end is joined to its intent.
    static Contents parse(const QByteArray& text);

    // A journal whose process is gone, locked by this process while the object lives, so that no other start
    // takes it too.
    class Left {
    public:
        Left(Left&& other) noexcept;
        Left& operator=(Left&& other) noexcept;
        ~Left();
        const QString& path() const { return path_; }
        const Contents& contents() const { return contents_; }
        // Deletes the file; once settled.
        Result<void> remove();

    private:
        friend class StylingJournal;
        Left(QString path, int descriptor, Contents contents);
        QString path_;
        int descriptor_ = -1;
        Contents contents_;
    };
    // The journals in `directory` that no living process holds. Stale temporary files of a journal being
    // made are deleted on the way.
    static std::vector<Left> left(const QString& directory);

private:
    Result<void> open() PIGMO_REQUIRES(mutex_);
    Result<void> append(const QByteArray& line) PIGMO_REQUIRES(mutex_);
    void close() PIGMO_REQUIRES(mutex_);

    const QString directory_;
    mutable Mutex mutex_;
    QString path_ PIGMO_GUARDED_BY(mutex_);
    int descriptor_ PIGMO_GUARDED_BY(mutex_) = -1;
    quint64 nextId_ PIGMO_GUARDED_BY(mutex_) = 1;
    qsizetype open_ PIGMO_GUARDED_BY(mutex_) = 0;       // begun, not ended
    qsizetype unrecorded_ PIGMO_GUARDED_BY(mutex_) = 0; // ended styled, not recorded
};

} // namespace pigmo
