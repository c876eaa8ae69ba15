#pragma once

#include "model/ColorizationData.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/HistoryLogEntry.h"

#include <QDir>
#include <QFile>
#include <QTimeZone>

namespace pigmo::test {

// A style whose hue tells entries apart.
inline ColorizationData styleWithHue(double hue)
{
    ColorizationData data;
    data.color = HSL{hue, 70, 50};
    data.intensity = 0.6;
    return data;
}

// Writes a log of `count` entries ("/home/.../Folder <n>", one minute apart, hue n % 360) where the store
// reads it.
inline void writeLog(const ColorizationHistoryStore& store, int count, const QString& parent)
{
    QList<HistoryLogEntry> entries;
    entries.reserve(count);
    const QDateTime start(QDate(2025, 3, 1), QTime(9, 30), Qt::UTC);
    for (int index = 0; index < count; ++index) {
        entries.append(
            {parent + QStringLiteral("/Folder %1").arg(index), styleWithHue(index % 360), start.addSecs(60 * index)});
    }
    QFile file(QDir(store.storageDirectory()).filePath(ColorizationHistoryStore::logFileName));
    if (file.open(QIODevice::WriteOnly))
        file.write(json::encodeLog(entries).value());
}

} // namespace pigmo::test
