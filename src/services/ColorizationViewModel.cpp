#include "services/ColorizationViewModel.h"

#include "base/Log.h"
#include "catalogue/IconsModel.h"
#include "render/ColorizationService.h"
#include "services/FolderStyler.h"
#include "smart/SmartIconService.h"
#include "smart/SmartProposal.h"
#include "storage/ColorizationHistoryStore.h"
#include "storage/ExtendedAttributesManager.h"

#include <QRandomGenerator>

namespace pigmo {

std::shared_ptr<ColorizationViewModel>
ColorizationViewModel::create(const Folder& folder, bool autoApplySmartIfEmpty, const ColorizationServices& services,
                              std::shared_ptr<SmartAutoApplyCoordinator> coordinator)
{
    // Released with deleteLater, so a worker thread dropping the last reference never deletes a QObject.
    std::shared_ptr<ColorizationViewModel> model(new ColorizationViewModel(folder, services),
                                                 [](ColorizationViewModel* m) { m->deleteLater(); });
    const bool found = model->loadStoredStyle();
    model->rendering_ = true;
    model->render();
    if (!found && autoApplySmartIfEmpty) {
        std::weak_ptr<ColorizationViewModel> weak = model;
        QTimer::singleShot(0, model.get(), [weak, coordinator] {
            if (auto strong = weak.lock())
                strong->runSmartWorkflow(coordinator);
        });
    }
    return model;
}

ColorizationViewModel::ColorizationViewModel(const Folder& folder, const ColorizationServices& services)
    : folder_(folder)
    , services_(services)
    , styler_(services.styler)
{
    workflowTimer_.setTimerType(Qt::PreciseTimer);
    workflowTimer_.setInterval(frameInterval);
    connect(&workflowTimer_, &QTimer::timeout, this, &ColorizationViewModel::showNextFrame);
}

ColorizationViewModel::~ColorizationViewModel() = default;

bool ColorizationViewModel::loadStoredStyle()
{
    const QString path = folderPath();
    if (std::optional<ColorizationData> stored = services_.attributes.readSettings(path)) {
        apply(*stored);
        log::print(QStringLiteral("Loaded settings from extended attributes for ") + path);
        return true;
    }
    const auto& styles = services_.history.folderStyles();
    if (auto it = styles.find(path); it != styles.end()) {
        apply(it.value());
        log::print(QStringLiteral("Loaded settings from history store for ") + path);
        return true;
    }
    log::print(QStringLiteral("No settings found in attributes or history for ") + path +
               QStringLiteral(". Using defaults."));
    return false;
}

ColorizationData ColorizationViewModel::currentData() const
{
    return ColorizationData{color_, intensity_, icon_, iconSize_, iconStyle_};
}

void ColorizationViewModel::render()
{
    const ColorizationData data = currentData();
    lastUsedData_ = data;
    setImage(ColorizationService::generateIcon(data).value_or(QImage()));
}

void ColorizationViewModel::styleDidChange()
{
    if (rendering_)
        render();
    Q_EMIT styleChanged();
    Q_EMIT changed();
}

void ColorizationViewModel::setColor(const HSL& color)
{
    color_ = color;
    styleDidChange();
}

void ColorizationViewModel::setIntensity(double intensity)
{
    intensity_ = intensity;
    styleDidChange();
}

void ColorizationViewModel::setIcon(const std::optional<Icon>& icon)
{
    icon_ = icon;
    styleDidChange();
}

void ColorizationViewModel::setIconSize(double size)
{
    iconSize_ = size;
    styleDidChange();
}

void ColorizationViewModel::setIconStyle(const IconStyle& style)
{
    iconStyle_ = style;
    styleDidChange();
}

void ColorizationViewModel::setImage(const QImage& image)
{
    image_ = image;
    Q_EMIT imageChanged();
    Q_EMIT changed();
}

void ColorizationViewModel::setSmartLoadingState(SmartLoadingState state)
{
    smartLoadingState_ = state;
    Q_EMIT smartLoadingStateChanged(state);
    Q_EMIT changed();
}

void ColorizationViewModel::apply(const ColorizationData& data)
{
    if (std::optional<HSL> normalised = HSL::fromColor(data.color.color()))
        setColor(*normalised);
    setIntensity(data.intensity);
    setIcon(data.icon);
    if (data.iconSize)
        setIconSize(*data.iconSize);
    setIconStyle(data.iconStyle);
}

void ColorizationViewModel::resetToDefaults()
{
    setColor(defaultColor);
    setIntensity(defaultIntensity);
    setIcon(std::nullopt);
    setIconSize(defaultIconSize);
    setIconStyle(IconStyle::vibrant());
    render();
}

void ColorizationViewModel::pickRandomIcon()
{
    if (std::optional<Icon> icon = services_.icons.randomIcon())
        setIcon(icon);
}

void ColorizationViewModel::runSmartWorkflow(std::shared_ptr<SmartAutoApplyCoordinator> coordinator)
{
    if (smartLoadingState_ != SmartLoadingState::idle)
        return;
    setSmartLoadingState(SmartLoadingState::loading);
    workflowCoordinator_ = std::move(coordinator);
    workflowPin_ = weak_from_this().lock();
    framesShown_ = 0;
    const QList<QImage>& frames = ColorizationService::loadingIcons();
    if (frames.isEmpty()) {
        finishLoading();
        return;
    }
    frameStart_ = int(QRandomGenerator::global()->bounded(frames.size()));
    setImage(frames[frameStart_]);
    framesShown_ = 1;
    workflowTimer_.start();
}

void ColorizationViewModel::abandonSmartWorkflow()
{
    workflowTimer_.stop();
    disconnect(indexReadyConnection_);
    indexReadyConnection_ = {};
    workflowCoordinator_.reset();
    if (smartLoadingState_ != SmartLoadingState::idle)
        setSmartLoadingState(SmartLoadingState::idle);
    workflowPin_.reset(); // may release the model (deleted later, on this thread)
}

void ColorizationViewModel::showNextFrame()
{
    // After the twelfth frame's 80 ms the suggestion step runs, as soon as the keyword index is ready; until
    // then the animation goes on and the index's readiness signal ends it.
    if (framesShown_ >= loadingFrames) {
        if (services_.smartIcons.isReady()) {
            finishLoading();
            return;
        }
        if (!indexReadyConnection_) {
            indexReadyConnection_ = connect(&services_.smartIcons, &SmartIconService::indexReady, this,
                                            &ColorizationViewModel::finishLoading, Qt::QueuedConnection);
            services_.smartIcons.buildIndexIfNeeded();
        }
    }
    const QList<QImage>& frames = ColorizationService::loadingIcons();
    setImage(frames[(frameStart_ + framesShown_) % frames.size()]);
    ++framesShown_;
}

void ColorizationViewModel::finishLoading()
{
    if (smartLoadingState_ != SmartLoadingState::loading)
        return;
    workflowTimer_.stop();
    disconnect(indexReadyConnection_);
    indexReadyConnection_ = {};
    runFullSmartWorkflow(workflowCoordinator_ ? workflowCoordinator_->picks : QList<ColorizationData>());
    if (workflowCoordinator_ && lastUsedData_)
        workflowCoordinator_->picks.append(*lastUsedData_);
    workflowCoordinator_.reset();
    setSmartLoadingState(SmartLoadingState::success);
    QTimer::singleShot(successDisplay, this, [this] {
        setSmartLoadingState(SmartLoadingState::idle);
        workflowPin_.reset(); // may release the model (deleted later, on this thread)
    });
}

void ColorizationViewModel::runFullSmartWorkflow(const QList<ColorizationData>& extraSiblings)
{
    const QString name = folder_.name();
    log::system(QStringLiteral("[Smart] 🧠 Running full smart workflow for: ") + name);
    // The index is ready here (the animation waited for it): the proposal does not wait.
    SmartSiblingAnalysis::Batch siblings(services_.attributes);
    const ColorizationData proposal =
        smart::proposeStyle(services_.smartIcons, siblings, folderPath(), QStringLiteral("[Smart] "),
                            std::chrono::milliseconds::zero(), extraSiblings);
    setColor(proposal.color);
    setIntensity(proposal.intensity);
    if (proposal.icon)
        setIcon(proposal.icon);
    setIconSize(proposal.iconSize.value_or(defaultIconSize));
    setIconStyle(proposal.iconStyle);
    log::system(QStringLiteral("[Smart] ✅ Smart workflow complete for: ") + name);
}

void ColorizationViewModel::setFolderIcon(const ColorizationData& data, Completion completion)
{
    if (!styler_) {
        if (completion)
            completion(false);
        return;
    }
    styler_->apply(
        folder_, data,
        [self = shared_from_this(), completion = std::move(completion)](const FolderStyler::Outcome& outcome) {
            if (completion)
                completion(outcome.succeeded());
        });
}

void ColorizationViewModel::removeFolderIcon(Completion completion)
{
    if (!styler_) {
        if (completion)
            completion(false);
        return;
    }
    styler_->remove(
        folder_, [self = shared_from_this(), completion = std::move(completion)](const FolderStyler::Outcome& outcome) {
            if (completion)
                completion(outcome.succeeded());
        });
}

void ColorizationViewModel::resetFolderIcon(Completion completion)
{
    resetToDefaults();
    removeFolderIcon([self = shared_from_this(), completion = std::move(completion)](bool ok) {
        if (!ok) {
            // The folder still carries its style: show it rather than defaults it does not have.
            self->rendering_ = true;
            self->loadStoredStyle();
        }
        if (completion)
            completion(ok);
    });
}

} // namespace pigmo
