#include "storage/LegacyHistoryMigration.h"

#include "base/Log.h"
#include "model/StyleJson.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <simdjson.h>

namespace pigmo {
namespace {

// One record of the legacy history.
struct HistoryColorizationData {
    ColorizationData data;
    std::optional<QUrl> url;
    QString imageID; // read, never used

    [[maybe_unused]] friend bool operator==(const HistoryColorizationData&, const HistoryColorizationData&) = default;
};

Result<HistoryColorizationData> legacyRecordFromJson(const json::Element& json)
{
    using R = Result<HistoryColorizationData>;
    simdjson::dom::object object;
    if (json.get_object().get(object))
        return R::failure(QStringLiteral("The data couldn't be read because a record is not an object."));
    HistoryColorizationData record;
    const auto data = json::member(object, "data");
    if (!data)
        return R::failure(json::missingMemberError("data"));
    if (auto valid = json::read(*data, &record.data); !valid)
        return R::failure(valid.error());

    auto url = json::optionalText(object, "url");
    if (!url)
        return R::failure(url.error());
    if (*url) {
        const QUrl parsed(**url, QUrl::StrictMode);
        if (parsed.isEmpty() || !parsed.isValid())
            return R::failure(QStringLiteral("The data couldn't be read because \"url\" is no valid URL."));
        record.url = parsed;
    }

    auto imageID = json::requiredText(object, "imageID");
    if (!imageID)
        return R::failure(imageID.error());
    record.imageID = std::move(imageID).value();
    return record;
}

std::optional<QList<HistoryColorizationData>> decodeLegacyHistory(const QByteArray& bytes)
{
    auto json = json::parse(bytes);
    simdjson::dom::array array;
    if (!json || json->get_array().get(array))
        return std::nullopt;
    QList<HistoryColorizationData> records;
    for (const json::Element element : array) {
        auto record = legacyRecordFromJson(element);
        if (!record)
            return std::nullopt;
        records.append(std::move(record).value());
    }
    return records;
}

QString legacyImageFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/ColorizedImages");
}

bool removeEntry(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

} // namespace

void migrateLegacyHistoryIfNeeded(ColorizationHistoryStore& store)
{
    if (Preferences::value(prefs::historyStoreMigrated))
        return;
    const QByteArray legacy = Preferences::value(prefs::legacyHistoryIDs);
    const auto records = legacy.isEmpty() ? std::nullopt : decodeLegacyHistory(legacy);
    if (!records) { // nothing there, or unreadable: left in place and never read again
        Preferences::setValue(prefs::historyStoreMigrated, true);
        return;
    }

    store.beginBatch(); // both files written once, at its end
    for (const HistoryColorizationData& record : *records) {
        if (!record.url)
            continue;
        const QString path = record.url->isLocalFile() ? record.url->toLocalFile() : record.url->path();
        store.record(path, record.data);
    }
    store.endBatch();
    if (const Done moved = store.written(); !moved) {
        log::warning(QStringLiteral("The legacy history stays in the preferences until it is written: ") +
                     moved.error());
        return;
    }
    Preferences::remove(prefs::legacyHistoryIDs);

    const QString images = legacyImageFolder();
    if (QFileInfo(images).exists() || QFileInfo(images).isSymLink()) {
        if (removeEntry(images))
            log::print(QStringLiteral("Removed legacy ColorizedImages folder"));
    }
    Preferences::setValue(prefs::historyStoreMigrated, true);
    log::print(QStringLiteral("Migrated %1 legacy history entries to new store").arg(records->size()));
}

} // namespace pigmo
