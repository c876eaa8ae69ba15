#include "storage/ColorizationHistoryStore.h"

#include "base/Log.h"

#include <QCollator>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHash>
#include <QPromise>
#include <QStandardPaths>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace pigmo {
namespace {

QString defaultStorageDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/io.velmar.pigmo2");
}

Result<QByteArray> encodeStyles(const QMap<QString, ColorizationData>& styles)
{
    json::Json object = json::Json::object();
    for (auto it = styles.cbegin(); it != styles.cend(); ++it)
        object[it.key().toStdString()] = json::toJson(it.value());
    return json::serialize(object);
}

Result<QMap<QString, ColorizationData>> decodeStyles(const QByteArray& bytes)
{
    using R = Result<QMap<QString, ColorizationData>>;
    auto json = json::parse(bytes);
    if (!json)
        return R::failure(json.error());
    simdjson::dom::object object;
    if (json->get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because it isn't in the correct format."));
    // A repeated folder keeps its first place and its last style, so only that style is read.
    QList<std::pair<QString, json::Element>> members;
    QHash<QString, qsizetype> places;
    for (const simdjson::dom::key_value_pair field : object) {
        const QString folder = QString::fromUtf8(field.key.data(), static_cast<qsizetype>(field.key.size()));
        const auto place = places.constFind(folder);
        if (place != places.cend()) {
            members[*place].second = field.value;
        } else {
            places.insert(folder, members.size());
            members.append({folder, field.value});
        }
    }
    QMap<QString, ColorizationData> styles;
    for (const auto& [folder, value] : members) {
        auto data = json::colorizationDataFromJson(value);
        if (!data)
            return R::failure(data.error());
        styles.insert(folder, std::move(data).value());
    }
    return styles;
}

template <class T>
Result<T> readAndDecode(const HistoryFiles& files, const QString& name, Result<T> (*decode)(const QByteArray&))
{
    auto bytes = files.read(name);
    if (!bytes)
        return Result<T>::failure(bytes.error());
    return decode(*bytes);
}

// A path as a folder: without trailing slashes (the root stays "/").
QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

ColorizationHistoryStore& ColorizationHistoryStore::shared()
{
    // Deliberately never destroyed: it outlives every user, including those that run at exit.
    static auto* store = new ColorizationHistoryStore();
    return *store;
}

ColorizationHistoryStore::ColorizationHistoryStore(QObject* parent)
    : QObject(parent)
    , files_(defaultStorageDirectory())
{
    loadFolderStyles();
}

void ColorizationHistoryStore::assertOwnerThread() const
{
    Q_ASSERT_X(QThread::currentThread() == thread(), "ColorizationHistoryStore",
               "the history store is used only on the thread it lives on");
}

QString ColorizationHistoryStore::storageDirectory() const
{
    return files_.directory();
}

void ColorizationHistoryStore::removeFolderStyle(const QString& folderPath)
{
    assertOwnerThread();
    if (folderStyles_.remove(folderPath) > 0)
        Q_EMIT folderStylesChanged();
}

void ColorizationHistoryStore::record(const QString& folderPath, const ColorizationData& data)
{
    assertOwnerThread();
    if (!data.isFinite()) {
        log::warning(
            QStringLiteral("Error recording history for %1: the style holds a non-finite number.").arg(folderPath));
        return;
    }
    const HistoryLogEntry entry{folderPath, data, historyTimestampNow()};
    ++recordCount_;
    if (chronologicalLogLoaded_)
        appendToLoadedLog(entry);
    appendToChronologicalLog(entry);
    folderStyles_.insert(folderPath, data);
    Q_EMIT folderStylesChanged();
    saveFolderStyles();
}

void ColorizationHistoryStore::appendToLoadedLog(const HistoryLogEntry& entry)
{
    chronologicalLog_.append(entry);
    const auto encoded = json::serialize(json::toJson(entry));
    if (encoded && chronologicalLogText_.endsWith(']')) {
        chronologicalLogText_.chop(1);
        if (chronologicalLog_.size() > 1)
            chronologicalLogText_.append(',');
        chronologicalLogText_.append(*encoded).append(']');
    } else {
        chronologicalLogText_.clear();
    }
    Q_EMIT chronologicalLogChanged();
}

void ColorizationHistoryStore::appendToChronologicalLog(const HistoryLogEntry& entry)
{
    assertOwnerThread();
    if (chronologicalLogLoaded_ && files_.exists(logFileName)) {
        saveChronologicalLog(); // the entry is already in memory, and memory is the authority
        return;
    }
    appendToFile(entry);
}

// Creates the log with this entry, or reads, appends and writes it back, all under the lock so that
// another process's append is never lost. An unreadable log is moved aside and a fresh one started.
void ColorizationHistoryStore::appendToFile(const HistoryLogEntry& entry)
{
    const QString appendError = QStringLiteral("Error appending to chronological log: ");
    const QString createError = QStringLiteral("Error creating chronological log: ");
    const HistoryFiles::Lock lock = files_.lock();
    if (!lock.held()) {
        log::warning(appendError + lock.error());
        return;
    }
    QList<HistoryLogEntry> entries;
    QString prefix = createError;
    if (files_.exists(logFileName)) {
        auto existing = readAndDecode(files_, logFileName, &json::decodeLog);
        if (existing) {
            entries = std::move(existing).value();
            prefix = appendError;
        } else {
            log::warning(appendError + existing.error());
            if (!preserveUnreadable(logFileName))
                return;
        }
    }
    entries.append(entry);
    const auto bytes = json::encodeLog(entries);
    if (const Done written = bytes ? files_.write(logFileName, *bytes) : Done::failure(bytes.error()); !written)
        log::warning(prefix + written.error());
}

void ColorizationHistoryStore::saveChronologicalLog()
{
    assertOwnerThread();
    if (chronologicalLogText_.isEmpty()) {
        auto encoded = json::encodeLog(chronologicalLog_);
        if (!encoded) {
            log::warning(QStringLiteral("Error saving chronological log: ") + encoded.error());
            return;
        }
        chronologicalLogText_ = std::move(encoded).value();
    }
    if (auto written = writeWhole(logFileName, chronologicalLogText_); !written)
        log::warning(QStringLiteral("Error saving chronological log: ") + written.error());
}

void ColorizationHistoryStore::saveFolderStyles()
{
    assertOwnerThread();
    if (auto written = writeWhole(stylesFileName, encodeStyles(folderStyles_)); !written)
        log::warning(QStringLiteral("Error saving folder styles: ") + written.error());
}

void ColorizationHistoryStore::loadChronologicalLog()
{
    assertOwnerThread();
    if (files_.exists(logFileName))
        publishLoadedLog(files_.read(logFileName));
    chronologicalLogLoaded_ = true;
}

void ColorizationHistoryStore::loadChronologicalLogInBackground()
{
    assertOwnerThread();
    if (chronologicalLogLoaded_ || logLoadWatcher_)
        return;
    const quint64 recordsBefore = recordCount_;
    auto promise = std::make_shared<QPromise<std::optional<Result<QByteArray>>>>();
    logLoadWatcher_ = new QFutureWatcher<std::optional<Result<QByteArray>>>(this);
    connect(logLoadWatcher_, &QFutureWatcherBase::finished, this, [this, recordsBefore] {
        const std::optional<Result<QByteArray>> bytes = logLoadWatcher_->result();
        logLoadWatcher_->deleteLater();
        logLoadWatcher_ = nullptr;
        if (chronologicalLogLoaded_)
            return; // a synchronous load came first
        if (recordCount_ != recordsBefore)
            return loadChronologicalLogInBackground(); // the file read may predate an entry recorded since
        if (bytes)
            publishLoadedLog(*bytes);
        chronologicalLogLoaded_ = true;
    });
    logLoadWatcher_->setFuture(promise->future());
    promise->start();
    QThreadPool::globalInstance()->start([files = files_, promise] {
        // Nothing for a missing file; the file is replaced whole by writers, so it reads consistently.
        promise->addResult(files.exists(logFileName) ? std::optional(files.read(logFileName)) : std::nullopt);
        promise->finish();
    });
}

void ColorizationHistoryStore::publishLoadedLog(const Result<QByteArray>& bytes)
{
    auto entries = bytes ? json::decodeLog(*bytes) : Result<QList<HistoryLogEntry>>::failure(bytes.error());
    if (entries) {
        chronologicalLog_ = std::move(entries).value();
        chronologicalLogText_ = bytes->trimmed(); // a valid array: what saving these entries writes
        log::print(QStringLiteral("Loaded %1 chronological history entries").arg(chronologicalLog_.size()));
        Q_EMIT chronologicalLogChanged();
    } else {
        log::warning(QStringLiteral("Error loading chronological log: ") + entries.error());
        preserveAfterFailedLoad(logFileName);
    }
}

void ColorizationHistoryStore::loadFolderStyles()
{
    assertOwnerThread();
    if (files_.exists(stylesFileName)) {
        if (auto styles = readAndDecode(files_, stylesFileName, &decodeStyles)) {
            folderStyles_ = std::move(styles).value();
            log::print(QStringLiteral("Loaded %1 folder styles").arg(folderStyles_.size()));
            Q_EMIT folderStylesChanged();
        } else {
            log::warning(QStringLiteral("Error loading folder styles: ") + styles.error());
            preserveAfterFailedLoad(stylesFileName);
        }
    }
    folderStylesLoaded_ = true;
}

Done ColorizationHistoryStore::writeWhole(const QString& name, const Result<QByteArray>& bytes)
{
    if (!bytes)
        return Done::failure(bytes.error());
    const HistoryFiles::Lock lock = files_.lock();
    if (!lock.held())
        return Done::failure(lock.error());
    if (stuckUnreadable_.contains(name) && !preserveUnreadable(name))
        return Done::failure(
            QStringLiteral("%1 could not be read and is kept as it is until it can be moved aside.").arg(name));
    return files_.write(name, *bytes);
}

void ColorizationHistoryStore::preserveAfterFailedLoad(const QString& name)
{
    if (const HistoryFiles::Lock lock = files_.lock(); lock.held())
        preserveUnreadable(name);
    else
        stuckUnreadable_.insert(name); // moved aside by the next write, or never overwritten
}

bool ColorizationHistoryStore::preserveUnreadable(const QString& name)
{
    if (!files_.exists(name)) {
        stuckUnreadable_.remove(name);
        return true;
    }
    auto moved = files_.moveAside(name);
    if (!moved) {
        log::warning(QStringLiteral("Error moving unreadable %1 aside: %2").arg(name, moved.error()));
        stuckUnreadable_.insert(name);
        return false;
    }
    log::warning(QStringLiteral("Moved unreadable %1 aside to %2").arg(name, *moved));
    stuckUnreadable_.remove(name);
    return true;
}

QList<ColorizationHistoryStore::FolderGroup> ColorizationHistoryStore::groupedFolderStyles() const
{
    assertOwnerThread();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto ascending = [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; };

    // folderStyles_ iterates in code-point order of the paths, which the stable sorts keep for ties.
    QList<FolderGroup> groups;
    QHash<QString, qsizetype> groupIndex;
    for (auto it = folderStyles_.cbegin(); it != folderStyles_.cend(); ++it) {
        const QFileInfo info(withoutTrailingSlash(it.key()));
        const QString parent = info.path();
        auto index = groupIndex.constFind(parent);
        if (index == groupIndex.cend()) {
            index = groupIndex.insert(parent, groups.size());
            groups.append({parent, {}});
        }
        groups[*index].folders.append({info.fileName(), it.key(), it.value()});
    }
    for (FolderGroup& group : groups)
        std::ranges::stable_sort(group.folders, ascending, &StyledFolder::name);
    std::ranges::stable_sort(groups, ascending, &FolderGroup::parentPath);
    return groups;
}

} // namespace pigmo
