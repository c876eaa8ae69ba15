#include "services/ColorizationModelsGroup.h"

namespace pigmo {

ColorizationModelsGroup::ColorizationModelsGroup(const QList<Folder>& folders, bool autoApplySmartIfEmpty,
                                                 const ColorizationServices& services, QObject* parent)
    : QObject(parent)
    , autoApplySmartIfEmpty_(autoApplySmartIfEmpty)
    , services_(services)
{
    appendModels(modelsFor(folders));
}

ColorizationModelsGroup::~ColorizationModelsGroup()
{
    for (const std::weak_ptr<ColorizationViewModel>& held : std::as_const(held_)) {
        if (const Model model = held.lock())
            model->abandonSmartWorkflow();
    }
}

ColorizationModelsGroup::Model ColorizationModelsGroup::currentModel() const
{
    if (!currentIndex_ || *currentIndex_ < 0 || *currentIndex_ >= models_.size())
        return nullptr;
    return models_[*currentIndex_];
}

qsizetype ColorizationModelsGroup::indexOf(const Folder& folder) const
{
    for (qsizetype i = 0; i < models_.size(); ++i) {
        if (models_[i]->folder() == folder)
            return i;
    }
    return -1;
}

QList<ColorizationModelsGroup::Model> ColorizationModelsGroup::modelsFor(const QList<Folder>& folders)
{
    // One coordinator per batch: each call's folders count each other's proposals, not earlier batches'.
    auto coordinator = autoApplySmartIfEmpty_ ? std::make_shared<SmartAutoApplyCoordinator>() : nullptr;
    QList<Folder> fresh;
    for (const Folder& folder : folders) {
        if (indexOf(folder) < 0 && !fresh.contains(folder))
            fresh.append(folder);
    }
    QList<Model> models;
    for (const Folder& folder : fresh)
        models.append(ColorizationViewModel::create(folder, autoApplySmartIfEmpty_, services_, coordinator));
    return models;
}

void ColorizationModelsGroup::addFolders(const QList<Folder>& folders)
{
    appendModels(modelsFor(folders));
    Q_EMIT changed();
}

void ColorizationModelsGroup::appendModels(const QList<Model>& models)
{
    if (models.isEmpty())
        return;
    models_.append(models);
    for (const Model& model : models)
        held_.append(model);
    Q_EMIT modelsChanged();
    Q_EMIT changed();
    if (!currentIndex_)
        setCurrentIndex(models_.isEmpty() ? std::nullopt : std::optional<int>(0));
    for (const Model& model : models)
        connect(model.get(), &ColorizationViewModel::changed, this, &ColorizationModelsGroup::changed);
}

void ColorizationModelsGroup::select(const Folder& folder)
{
    if (const qsizetype index = indexOf(folder); index >= 0)
        setCurrentIndex(int(index));
}

void ColorizationModelsGroup::remove(const Folder& folder)
{
    const qsizetype index = indexOf(folder);
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
