#pragma once

#include "storage/ColorizationHistoryStore.h"

#include <QAbstractListModel>
#include <QDateTime>

namespace pigmo {

// The history log newest first, over the store's list (which only ever grows at its end once loaded). A
// row's key is its entry's position from the start of the log, which an append never changes; rows keep
// their keys when entries are added while the list is open.
class HistoryLogModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { KeyRole = Qt::UserRole + 1, PathRole, DateRole };

    explicit HistoryLogModel(const ColorizationHistoryStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    const HistoryLogEntry& entry(int row) const;
    QString key(int row) const;
    // The row of a key, -1 when no row has it.
    int rowOfKey(const QString& key) const;

private:
    void follow();

    const ColorizationHistoryStore& store_;
    qsizetype shown_ = 0;
};

// The current styles grouped by parent folder, one row per group, in the store's order.
class FolderStylesModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int columns = 5;

    explicit FolderStylesModel(const ColorizationHistoryStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    const ColorizationHistoryStore::FolderGroup& group(int row) const { return groups_[row]; }
    const QList<ColorizationHistoryStore::FolderGroup>& groups() const { return groups_; }
    // The row of the group holding `path`, -1 when none does.
    int rowOfFolder(const QString& path) const;

private:
    void regroup();

    const ColorizationHistoryStore& store_;
    QList<ColorizationHistoryStore::FolderGroup> groups_;
};

// "~" for the home directory and "~/..." for paths inside it; any other path unchanged (a sibling such as
// "/home/me2" of the home "/home/me" included).
QString displayPath(const QString& path, const QString& home);

// `timestamp` in the local time zone as the language writes a medium date and a short time ("Mar 1, 2025,
// 9:30 AM" in English).
QString historyDateText(const QDateTime& timestamp, const QString& languageCode);

} // namespace pigmo
