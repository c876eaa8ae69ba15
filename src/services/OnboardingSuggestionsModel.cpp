#include "services/OnboardingSuggestionsModel.h"

#include "base/Folder.h"
#include "platform/UserDirectories.h"
#include "render/ColorizationService.h"
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "smart/SmartProposal.h"
#include "smart/SmartSiblingAnalysis.h"
#include "storage/ExtendedAttributesManager.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>

namespace pigmo {

namespace {

QString lastComponent(const QString& path)
{
    return path.section(u'/', -1, -1, QString::SectionSkipEmpty);
}

QString parentOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

// The candidates of one root, by name; empty when the root cannot be listed.
QStringList candidatesOf(const QString& root, const OnboardingSuggestionsModel::Roots& roots,
                         const ExtendedAttributesManager& attributes)
{
    const QDir directory(root);
    if (root.isEmpty() || !directory.exists())
        return {};
    QStringList found;
    const QFileInfoList entries = directory.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    for (const QFileInfo& entry : entries)
        if (OnboardingSuggestionsModel::isCandidate(entry.absoluteFilePath(), roots, attributes))
            found.append(entry.absoluteFilePath());
    OnboardingSuggestionsModel::sortByName(found);
    return found;
}

} // namespace

OnboardingSuggestionsModel::Roots OnboardingSuggestionsModel::Roots::of(const UserDirectories& directories)
{
    Roots roots;
    roots.home = directories.home;
    for (const QString& root : {directories.desktop, directories.documents, directories.home})
        if (!root.isEmpty())
            roots.lists.append(root);
    roots.excludedNames = {QStringLiteral("Library"), QStringLiteral("Applications"), QStringLiteral("Public"),
                           QStringLiteral("snap")};
    for (const QString& shared : {directories.publicShare, directories.templates})
        if (!shared.isEmpty() && parentOf(shared) == directories.home)
            roots.excludedNames.append(lastComponent(shared));
    return roots;
}

OnboardingSuggestionsModel::OnboardingSuggestionsModel(Services services, std::optional<Roots> roots, QObject* parent)
    : QObject(parent)
    , services_(std::move(services))
    , roots_(roots ? std::move(*roots) : Roots::of(UserDirectories::current()))
    , worker_(std::make_unique<SerialQueue>("onboarding"))
{
}

OnboardingSuggestionsModel::~OnboardingSuggestionsModel()
{
    worker_->shutdown();
}

int OnboardingSuggestionsModel::selectedCount() const
{
    return int(std::count_if(suggestions_.cbegin(), suggestions_.cend(),
                             [](const Suggestion& suggestion) { return suggestion.isSelected; }));
}

bool OnboardingSuggestionsModel::isCandidate(const QString& path, const Roots& roots,
                                             const ExtendedAttributesManager& attributes)
{
    const std::optional<Folder> folder = Folder::fromScan(path); // no link, no file
    if (!folder || folder->name().startsWith(u'.'))
        return false;
    if (parentOf(path) == roots.home && roots.excludedNames.contains(folder->name()))
        return false;
    return !attributes.readSettings(path);
}

void OnboardingSuggestionsModel::sortByName(QStringList& paths)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(paths.begin(), paths.end(), [&](const QString& a, const QString& b) {
        return collator.compare(lastComponent(a), lastComponent(b)) < 0;
    });
}

QList<QString> OnboardingSuggestionsModel::candidateFolders(int limit, const Roots& roots,
                                                            const ExtendedAttributesManager& attributes)
{
    QList<QStringList> lists;
    for (const QString& root : roots.lists)
        lists.append(candidatesOf(root, roots, attributes));
    QList<QString> result;
    if (limit < 1)
        return result;
    for (qsizetype pass = 0;; ++pass) {
        bool appended = false;
        for (const QStringList& list : lists) {
            if (pass >= list.size())
                continue;
            result.append(list[pass]);
            appended = true;
            if (result.size() >= limit)
                return result;
        }
        if (!appended)
            return result;
    }
}

QList<OnboardingSuggestionsModel::Group>
OnboardingSuggestionsModel::groupedByParent(const QList<Suggestion>& suggestions)
{
    QList<Group> groups;
    for (const Suggestion& suggestion : suggestions) {
        const QString parent = parentOf(suggestion.path);
        const auto found =
            std::find_if(groups.begin(), groups.end(), [&](const Group& group) { return group.parent == parent; });
        if (found == groups.end())
            groups.append(Group{parent, {suggestion}});
        else
            found->items.append(suggestion);
    }
    return groups;
}

QString OnboardingSuggestionsModel::displayPath(const QString& path, const QString& home)
{
    QString shown = path;
    const QString homeWithSlash = home.endsWith(u'/') ? home : home + u'/';
    if (!home.isEmpty() && (shown == home || shown.startsWith(homeWithSlash)))
        shown = QStringLiteral("~/") + shown.mid(homeWithSlash.size());
    return shown.split(u'/', Qt::SkipEmptyParts).join(QStringLiteral(" \u203A "));
}

void OnboardingSuggestionsModel::startScan()
{
    if (hasStartedScan_)
        return;
    hasStartedScan_ = true;
    worker_->submit([this] {
        QList<Suggestion> made;
        SmartSiblingAnalysis::Batch siblings(services_.attributes);
        for (const QString& path : candidateFolders(maxSuggestions, roots_, services_.attributes))
            if (std::optional<Suggestion> suggestion = makeSuggestion(path, siblings))
                made.append(std::move(*suggestion));
        QMetaObject::invokeMethod(
            this, [this, made = std::move(made)]() mutable { publishScan(std::move(made)); }, Qt::QueuedConnection);
    });
}

// A folder the index has no glyph for is not proposed.
std::optional<OnboardingSuggestionsModel::Suggestion>
OnboardingSuggestionsModel::makeSuggestion(const QString& path, SmartSiblingAnalysis::Batch& siblings) const
{
    const ColorizationData data = smart::proposeStyle(services_.icons, siblings, path, {}, indexWait);
    if (!data.icon)
        return std::nullopt;
    std::optional<QImage> preview = ColorizationService::generateIcon(data);
    if (!preview)
        return std::nullopt;
    return Suggestion{QUuid::createUuid(), path, lastComponent(parentOf(path)), data, std::move(*preview), true};
}

void OnboardingSuggestionsModel::publishScan(QList<Suggestion> suggestions)
{
    suggestions_ = std::move(suggestions);
    Q_EMIT suggestionsChanged();
    isScanReady_ = true;
    Q_EMIT isScanReadyChanged();
}

void OnboardingSuggestionsModel::toggle(const QUuid& id)
{
    const auto found = std::find_if(suggestions_.begin(), suggestions_.end(),
                                    [&](const Suggestion& suggestion) { return suggestion.id == id; });
    if (found == suggestions_.end())
        return;
    found->isSelected = !found->isSelected;
    Q_EMIT suggestionsChanged();
}

void OnboardingSuggestionsModel::applySelected()
{
    if (isApplying_)
        return;
    isApplying_ = true;
    Q_EMIT isApplyingChanged();
    QList<Suggestion> selected;
    std::copy_if(suggestions_.cbegin(), suggestions_.cend(), std::back_inserter(selected),
                 [](const Suggestion& suggestion) { return suggestion.isSelected; });
    if (selected.isEmpty()) {
        finishApplying();
        return;
    }
    // The styler draws the styles again (as the previews show them) and sets them one after another on its
    // queue.
    applyingCount_ = int(selected.size());
    QPointer<OnboardingSuggestionsModel> self(this);
    for (const Suggestion& suggestion : selected) {
        services_.styler.apply(Folder::unchecked(suggestion.path), suggestion.data,
                               [self](const FolderStyler::Outcome& outcome) {
                                   if (self)
                                       self->publishApplied(!outcome.succeeded());
                               });
    }
}

void OnboardingSuggestionsModel::publishApplied(bool failed)
{
    if (failed) {
        ++failedCount_;
        Q_EMIT failedCountChanged();
    }
    ++appliedCount_;
    Q_EMIT appliedCountChanged();
    if (appliedCount_ == applyingCount_)
        finishApplying();
}

void OnboardingSuggestionsModel::finishApplying()
{
    isDoneApplying_ = true;
    Q_EMIT isDoneApplyingChanged();
}

} // namespace pigmo
