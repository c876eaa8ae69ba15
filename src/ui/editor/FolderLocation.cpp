#include "ui/editor/FolderLocation.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QPromise>

#include <algorithm>
#include <memory>

namespace pigmo {
namespace {

QString lastComponent(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

QString FolderLocation::standardized(const QString& path)
{
    QString clean = QDir::cleanPath(path);
    while (clean.size() > 1 && clean.endsWith(u'/'))
        clean.chop(1);
    return clean;
}

QString FolderLocation::parentOf(const QString& folderPath)
{
    return standardized(standardized(folderPath) + QStringLiteral("/.."));
}

std::optional<QString> FolderLocation::commonParent(const QStringList& folderPaths)
{
    if (folderPaths.isEmpty())
        return std::nullopt;
    const QString first = parentOf(folderPaths.first());
    for (const QString& path : folderPaths) {
        if (parentOf(path) != first)
            return std::nullopt;
    }
    return first;
}

QString FolderLocation::abbreviatingHome(const QString& path, const QString& homePath)
{
    const QString home = standardized(homePath);
    if (home.isEmpty() || !home.startsWith(u'/'))
        return path;
    if (path == home)
        return QStringLiteral("~");
    const QString below = home == QStringLiteral("/") ? home : home + u'/';
    if (path.startsWith(below))
        return QStringLiteral("~/") + path.mid(below.size());
    return path;
}

std::optional<QString> FolderLocation::text(const QStringList& folderPaths, const QString& homePath,
                                            const QString& multipleLocations)
{
    if (folderPaths.isEmpty())
        return std::nullopt;
    const std::optional<QString> parent = commonParent(folderPaths);
    if (!parent)
        return multipleLocations;
    QString shown = abbreviatingHome(*parent, homePath);
    if (shown.size() >= 2 && shown.endsWith(u'/'))
        shown.chop(1);
    return shown.split(u'/', Qt::SkipEmptyParts).join(separator);
}

QStringList FolderLocation::listSiblings(const QString& parent, const QSet<QString>& excluded)
{
    QStringList folders;
    QDirIterator entries(parent, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    while (entries.hasNext()) {
        const QString path = entries.next();
        if (!excluded.contains(standardized(path)))
            folders.append(path);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    QList<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(folders.size());
    for (qsizetype i = 0; i < folders.size(); ++i)
        keys.append({collator.sortKey(lastComponent(folders[i]).toCaseFolded()), i}); // folded: also in "C"
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    QStringList sorted;
    sorted.reserve(folders.size());
    for (const auto& key : keys)
        sorted.append(folders[key.second]);
    return sorted;
}

SiblingFolders::SiblingFolders(QThreadPool& listings, QObject* parent)
    : QObject(parent)
    , listings_(listings)
{
}

SiblingFolders::~SiblingFolders() = default;

void SiblingFolders::update(const std::optional<QString>& parent, const QSet<QString>& excluded, bool force)
{
    const bool exclusionChanged = excluded != excluded_;
    excluded_ = excluded;
    if (parent != parent_ || force) {
        parent_ = parent;
        listed_.clear();
        startListing();
        Q_EMIT changed();
    } else if (exclusionChanged) {
        Q_EMIT changed();
    }
}

QStringList SiblingFolders::folders() const
{
    QStringList shown;
    for (const QString& path : listed_) {
        if (!excluded_.contains(FolderLocation::standardized(path)))
            shown.append(path);
    }
    return shown;
}

void SiblingFolders::startListing()
{
    if (watcher_) {
        // The older listing's result is dropped; its thread finishes on its own.
        watcher_->disconnect(this);
        watcher_->deleteLater();
        watcher_ = nullptr;
    }
    if (!parent_)
        return;
    auto promise = std::make_shared<QPromise<QStringList>>();
    watcher_ = new QFutureWatcher<QStringList>(this);
    connect(watcher_, &QFutureWatcherBase::finished, this, [this] {
        listed_ = watcher_->result();
        watcher_->deleteLater();
        watcher_ = nullptr;
        Q_EMIT changed();
    });
    watcher_->setFuture(promise->future());
    promise->start();
    // The task holds nothing of this object: a listing hung on a vanished parent outlives it harmlessly.
    listings_.start([parent = *parent_, promise] {
        promise->addResult(FolderLocation::listSiblings(parent, {}));
        promise->finish();
    });
}

} // namespace pigmo
