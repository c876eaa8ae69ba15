#include "services/ColorizationModelsGroup.h"

#include <QDir>

namespace pigmo {

ColorizationModelsGroup::ColorizationModelsGroup(const QList<QUrl>& urls, bool autoApplySmartIfEmpty, QObject* parent)
    : QObject(parent)
    , autoApplySmartIfEmpty_(autoApplySmartIfEmpty)
{
    appendModels(modelsFor(urls));
}

QUrl ColorizationModelsGroup::normalized(const QUrl& url)
{
    return url.isLocalFile() ? QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile())) : url;
}

ColorizationModelsGroup::Model ColorizationModelsGroup::currentModel() const
{
    if (!currentIndex_ || *currentIndex_ < 0 || *currentIndex_ >= models_.size())
        return nullptr;
    return models_[*currentIndex_];
}

qsizetype ColorizationModelsGroup::indexOf(const QUrl& url) const
{
    const QUrl wanted = normalized(url);
    for (qsizetype i = 0; i < models_.size(); ++i) {
        if (models_[i]->folderURL() == wanted)
            return i;
    }
    return -1;
}

QList<ColorizationModelsGroup::Model> ColorizationModelsGroup::modelsFor(const QList<QUrl>& urls)
{
    // One coordinator per batch: each call's folders count each other's proposals, not earlier batches'.
    auto coordinator = autoApplySmartIfEmpty_ ? std::make_shared<SmartAutoApplyCoordinator>() : nullptr;
    QList<QUrl> fresh;
    for (const QUrl& url : urls) {
        const QUrl folder = normalized(url);
        if (indexOf(folder) < 0 && !fresh.contains(folder))
            fresh.append(folder);
    }
    QList<Model> models;
    for (const QUrl& folder : fresh)
        models.append(ColorizationViewModel::create(folder, autoApplySmartIfEmpty_, coordinator));
    return models;
}

void ColorizationModelsGroup::addFolders(const QList<QUrl>& urls)
{
    appendModels(modelsFor(urls));
    Q_EMIT changed();
}

void ColorizationModelsGroup::appendModels(const QList<Model>& models)
{
    if (models.isEmpty())
        return;
    models_.append(models);
    Q_EMIT modelsChanged();
    Q_EMIT changed();
    if (!currentIndex_)
        setCurrentIndex(models_.isEmpty() ? std::nullopt : std::optional<int>(0));
    for (const Model& model : models)
        connect(model.get(), &ColorizationViewModel::changed, this, &ColorizationModelsGroup::changed);
}

void ColorizationModelsGroup::select(const QUrl& url)
{
    if (const qsizetype index = indexOf(url); index >= 0)
        setCurrentIndex(int(index));
}

void ColorizationModelsGroup::remove(const QUrl& url)
{
    const qsizetype index = indexOf(url);
    if (index < 0)
        return;
    disconnect(models_[index].get(), nullptr, this, nullptr);
    models_.removeAt(index);
    Q_EMIT modelsChanged();
    Q_EMIT changed();
    if (!currentIndex_)
        return;
    if (models_.isEmpty())
        setCurrentIndex(std::nullopt);
    else if (*currentIndex_ > index)
        setCurrentIndex(*currentIndex_ - 1); // the same folder stays current
    else if (*currentIndex_ >= models_.size())
        setCurrentIndex(int(models_.size()) - 1);
}

void ColorizationModelsGroup::setCurrentIndex(std::optional<int> index)
{
    if (index == currentIndex_)
        return;
    currentIndex_ = index;
    Q_EMIT currentIndexChanged(index);
    Q_EMIT changed();
}

} // namespace pigmo
