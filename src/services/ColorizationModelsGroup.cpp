#include "services/ColorizationModelsGroup.h"

#include <QRandomGenerator>

#include <cmath>

namespace pigmo {

namespace {

double uniform(double low, double high)
{
    return low + QRandomGenerator::global()->generateDouble() * (high - low);
}

// Runs `copy(current, other)` for every model but the current one, in order; nothing without a current one.
void copyToOthers(const ColorizationModelsGroup& group,
                  const std::function<void(const ColorizationViewModel& from, ColorizationViewModel& to)>& copy)
{
    const ColorizationModelsGroup::Model current = group.currentModel();
    if (!current)
        return;
    for (const ColorizationModelsGroup::Model& model : QList(group.models())) {
        if (model != current)
            copy(*current, *model);
    }
}

} // namespace

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

ColorizationModelsGroup::Model ColorizationModelsGroup::modelOf(const Folder& folder) const
{
    const qsizetype index = indexOf(folder);
    return index < 0 ? nullptr : models_[index];
}

void ColorizationModelsGroup::copyColorFromCurrent()
{
    copyToOthers(*this,
                 [](const ColorizationViewModel& from, ColorizationViewModel& to) { to.setColor(from.color()); });
}

void ColorizationModelsGroup::copyIconFromCurrent()
{
    copyToOthers(*this, [](const ColorizationViewModel& from, ColorizationViewModel& to) { to.setIcon(from.icon()); });
}

void ColorizationModelsGroup::randomize(const Folder& folder)
{
    if (const Model model = modelOf(folder)) {
        model->setColor(HSL{uniform(0, 360), 70, 50});
        model->pickRandomIcon();
    }
}

void ColorizationModelsGroup::spreadColors()
{
    const QList<Model> models = models_;
    if (models.isEmpty())
        return;
    const double step = 360.0 / double(models.size());
    const double start = uniform(0, 360);
    for (qsizetype i = 0; i < models.size(); ++i) {
        const double hue = std::fmod(start + step * double(i), 360.0);
        const double saturation = uniform(60, 90);
        const double lightness = uniform(45, 65);
        models.at(i)->setColor(HSL{hue, saturation, lightness});
    }
}

void ColorizationModelsGroup::resetAll()
{
    for (const Model& model : QList(models_)) {
        model->resetToDefaults();
        model->removeFolderIcon([](bool) {});
    }
}

} // namespace pigmo
