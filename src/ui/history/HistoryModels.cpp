#include "ui/history/HistoryModels.h"

#include <QLocale>
#include <QRegularExpression>

namespace pigmo {

HistoryLogModel::HistoryLogModel(const ColorizationHistoryStore& store, QObject* parent)
    : QAbstractListModel(parent)
    , store_(store)
    , shown_(store.chronologicalLog().size())
{
    connect(&store, &ColorizationHistoryStore::chronologicalLogChanged, this, &HistoryLogModel::follow);
}

// Entries appended at the log's end become rows at the top; anything else (a first load) resets the list.
void HistoryLogModel::follow()
{
    const qsizetype now = store_.chronologicalLog().size();
    if (now > shown_ && shown_ > 0) {
        beginInsertRows({}, 0, int(now - shown_ - 1));
        shown_ = now;
        endInsertRows();
        return;
    }
    beginResetModel();
    shown_ = now;
    endResetModel();
}

int HistoryLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_);
}

const HistoryLogEntry& HistoryLogModel::entry(int row) const
{
    return store_.chronologicalLog()[shown_ - 1 - row];
}

QString HistoryLogModel::key(int row) const
{
    return QString::number(shown_ - 1 - row);
}

int HistoryLogModel::rowOfKey(const QString& key) const
{
    bool ok = false;
    const qsizetype position = key.toLongLong(&ok);
    if (!ok || position < 0 || position >= shown_)
        return -1;
    return int(shown_ - 1 - position);
}

QVariant HistoryLogModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= shown_)
        return {};
    const HistoryLogEntry& logEntry = entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case PathRole:
        return logEntry.folderPath;
    case KeyRole:
        return key(index.row());
    case DateRole:
        return logEntry.timestamp;
    default:
        return {};
    }
}

FolderStylesModel::FolderStylesModel(const ColorizationHistoryStore& store, QObject* parent)
    : QAbstractListModel(parent)
    , store_(store)
    , groups_(store.groupedFolderStyles())
{
    connect(&store, &ColorizationHistoryStore::folderStylesChanged, this, &FolderStylesModel::regroup);
}

void FolderStylesModel::regroup()
{
    beginResetModel();
    groups_ = store_.groupedFolderStyles();
    endResetModel();
}

int FolderStylesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(groups_.size());
}

QVariant FolderStylesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= groups_.size())
        return {};
    if (role == Qt::DisplayRole)
        return groups_[index.row()].parentPath;
    return {};
}

int FolderStylesModel::rowOfFolder(const QString& path) const
{
    for (int row = 0; row < groups_.size(); ++row) {
        for (const ColorizationHistoryStore::StyledFolder& folder : groups_[row].folders) {
            if (folder.path == path)
                return row;
        }
    }
    return -1;
}

QString displayPath(const QString& path, const QString& home)
{
    QString base = home;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    if (base.isEmpty() || base == u"/")
        return path;
    if (path == base || path == base + u'/')
        return QStringLiteral("~");
    if (path.startsWith(base + u'/'))
        return u'~' + path.mid(base.size());
    return path;
}

QString historyDateText(const QDateTime& timestamp, const QString& languageCode)
{
    const QLocale locale(languageCode);
    // The medium date: the long date without its weekday and with the month abbreviated.
    QString format = locale.dateFormat(QLocale::LongFormat);
    static const QRegularExpression weekday(QStringLiteral("d{4}[,.،]?\\s*"));
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    const QDateTime local = timestamp.toLocalTime();
    return locale.toString(local.date(), format.trimmed()) + QStringLiteral(" ") +
           locale.toString(local.time(), QLocale::ShortFormat);
}

} // namespace pigmo
