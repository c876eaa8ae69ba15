#include "storage/Preferences.h"

#include "base/Log.h"
#include "base/Result.h"
#include "base/ThreadSafety.h"
#include "base/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMap>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

#include <atomic>
#include <optional>
#include <unistd.h>

namespace pigmo {
namespace {

// A change to one key: its new value, or nothing for a removal.
using Changes = QMap<QString, std::optional<QVariant>>;

using Values = QMap<QString, QVariant>;

struct Store {
    Mutex mutex;
    QString path PIGMO_GUARDED_BY(mutex);
    // The file's values as last read or written (nothing: not read yet). Kept here rather than read again,
    // since QSettings takes a file of the same size and modification time (to the millisecond) for the one it
    // read before.
    std::optional<Values> values PIGMO_GUARDED_BY(mutex);
    // The changes a failed write did not save, made again with the next write and seen by every read.
    Changes unsaved PIGMO_GUARDED_BY(mutex);
};

Store& store()
{
    static Store instance;
    return instance;
}

Values valuesOf(const QSettings& file)
{
    Values values;
    for (const QString& key : file.allKeys())
        values.insert(key, file.value(key));
    return values;
}

// The file's values, read once.
const Values& values(Store& s) PIGMO_REQUIRES(s.mutex)
{
    if (s.path.isEmpty())
        s.path = Preferences::filePath(); // fixed by the first use
    if (!s.values)
        s.values = valuesOf(QSettings(s.path, QSettings::IniFormat));
    return *s.values;
}

// `values` with `changes` made over them.
Values changed(Values values, const Changes& changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (*it)
            values.insert(it.key(), **it);
        else
            values.remove(it.key());
    }
    return values;
}

// The text QSettings writes for `values`, made in a scratch file beside `path` and read back: QSettings
// reports a write that ran out of room as done, with the file cut short, so the text counts only when it
// holds every key whole.
Result<QByteArray> encode(const QString& path, const Values& values)
{
    if (values.isEmpty())
        return QByteArray();             // QSettings writes no file
    static std::atomic<quint64> next{0}; // a name of its own each time: QSettings keeps what it read by name
    const QString scratch =
        path + QStringLiteral(".encoded-%1-%2").arg(QString::number(::getpid()), QString::number(next++));
    const auto failure = [&scratch](const QString& why) {
        QFile::remove(scratch);
        return Result<QByteArray>::failure(why);
    };
    {
        QSettings encoder(scratch, QSettings::IniFormat);
        encoder.clear();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            encoder.setValue(it.key(), *it);
        encoder.sync();
        if (encoder.status() != QSettings::NoError)
            return failure(QStringLiteral("the text could not be made"));
    }
    QFile text(scratch);
    if (!text.open(QIODevice::ReadOnly))
        return failure(text.errorString());
    const QByteArray bytes = text.readAll();
    // Each key stands on a line of its own, which ends with a line break: a text cut short lacks a key, or
    // its last line break.
    const QSettings decoded(scratch, QSettings::IniFormat);
    const QStringList keys = decoded.allKeys();
    const bool whole = decoded.status() == QSettings::NoError &&
                       QSet(keys.begin(), keys.end()) == QSet(values.keyBegin(), values.keyEnd()) &&
                       bytes.endsWith('\n');
    if (!whole)
        return failure(QStringLiteral("the text was cut short (no room left on the disk?)"));
    QFile::remove(scratch);
    return bytes;
}

// Writes the file as it is now with `changes` made over it, under the lock QSettings takes for its own writes
// (so a change another process made meanwhile is kept), and answers the values written. A write that fails
// leaves the file as it was.
Result<Values> writeChanges(const QString& path, const Changes& changes)
{
    QDir().mkpath(QFileInfo(path).path());
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.lock())
        return Result<Values>::failure(QStringLiteral("the lock file %1.lock cannot be made").arg(path));
    Values written = changed(valuesOf(QSettings(path, QSettings::IniFormat)), changes);
    const Result<QByteArray> text = encode(path, written);
    if (!text)
        return Result<Values>::failure(text.error());
    if (const Result<void> replaced = WholeFile::replace(path, *text); !replaced)
        return Result<Values>::failure(replaced.error());
    return written;
}

// Makes `name`'s change (nothing: a removal) with the changes a failed write left, and writes them all; the
// old file stays as it was when the write fails, and the changes are kept for the next one.
bool change(const char* name, const std::optional<QVariant>& value)
{
    Store& s = store();
    const MutexLock lock(s.mutex);
    values(s);
    s.unsaved.insert(QLatin1String(name), value);
    Result<Values> written = writeChanges(s.path, s.unsaved);
    if (!written) {
        log::warning(QStringLiteral("Error saving preferences to %1: %2").arg(s.path, written.error()));
        return false;
    }
    s.values = std::move(written).value();
    s.unsaved.clear();
    return true;
}

} // namespace

QString Preferences::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/io.velmar.pigmo2/preferences.ini");
}

QVariant Preferences::read(const char* name)
{
    Store& s = store();
    const MutexLock lock(s.mutex);
    const QString key = QLatin1String(name);
    if (const auto unsaved = s.unsaved.constFind(key); unsaved != s.unsaved.cend())
        return unsaved->value_or(QVariant());
    return values(s).value(key);
}

bool Preferences::has(const char* name)
{
    Store& s = store();
    const MutexLock lock(s.mutex);
    const QString key = QLatin1String(name);
    if (const auto unsaved = s.unsaved.constFind(key); unsaved != s.unsaved.cend())
        return unsaved->has_value();
    return values(s).contains(key);
}

bool Preferences::write(const char* name, const QVariant& value)
{
    return change(name, value);
}

bool Preferences::erase(const char* name)
{
    return change(name, std::nullopt);
}

} // namespace pigmo
