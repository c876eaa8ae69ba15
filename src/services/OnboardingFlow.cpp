#include "services/OnboardingFlow.h"

#include "services/FolderWatcherService.h"
#include "storage/Preferences.h"

namespace pigmo {

namespace {

int raw(OnboardingStep step)
{
    return static_cast<int>(step);
}

bool isBetween(OnboardingStep step, OnboardingStep first, OnboardingStep last)
{
    return raw(step) >= raw(first) && raw(step) <= raw(last);
}

} // namespace

std::optional<OnboardingStep> onboardingStep(int value)
{
    if (value < raw(OnboardingStep::welcome) || value > raw(OnboardingStep::ready))
        return std::nullopt;
    return static_cast<OnboardingStep>(value);
}

OnboardingFlow::OnboardingFlow(Services services, QObject* parent)
    : QObject(parent)
    , services_(std::move(services))
{
    std::optional<int> stored;
    if (Preferences::contains(prefs::onboardingResumeStep))
        stored = Preferences::value(prefs::onboardingResumeStep);
    step_ = resumeStep(stored, services_.isFolderAccessGranted && services_.isFolderAccessGranted());
    enableWatcherOnFinish_ = Preferences::contains(prefs::onboardingResumeWatcherChoice)
                                 ? Preferences::value(prefs::onboardingResumeWatcherChoice)
                                 : true;
}

OnboardingStep OnboardingFlow::resumeStep(std::optional<int> stored, bool folderAccessGranted)
{
    const std::optional<OnboardingStep> step = stored ? onboardingStep(*stored) : std::nullopt;
    if (!step)
        return OnboardingStep::welcome;
    if (isBetween(*step, OnboardingStep::fda, OnboardingStep::applyLoading))
        return folderAccessGranted ? OnboardingStep::setupLoading : OnboardingStep::fda;
    return *step;
}

bool OnboardingFlow::showsBackButton(OnboardingStep step)
{
    return isBetween(step, OnboardingStep::tutorialDrag, OnboardingStep::fda);
}

bool OnboardingFlow::showsForwardButton(OnboardingStep step)
{
    return isBetween(step, OnboardingStep::tutorialDrag, OnboardingStep::tutorialRightClick);
}

bool OnboardingFlow::showsContinueButton(OnboardingStep step)
{
    return isBetween(step, OnboardingStep::style, OnboardingStep::languages);
}

bool OnboardingFlow::showsProgressDots(OnboardingStep step)
{
    return isBetween(step, OnboardingStep::welcome, OnboardingStep::fda);
}

void OnboardingFlow::saveResumeStep() const
{
    Preferences::setValue(prefs::onboardingResumeStep, raw(step_));
}

void OnboardingFlow::moveTo(OnboardingStep step, bool skipped)
{
    if (step == step_)
        return;
    step_ = step;
    saveResumeStep();
    Q_EMIT stepChanged(step_, direction_, skipped);
}

void OnboardingFlow::next()
{
    direction_ = Direction::forward;
    moveTo(onboardingStep(raw(step_) + 1).value_or(step_), false);
}

void OnboardingFlow::goToPreviousStep()
{
    direction_ = Direction::backward;
    moveTo(onboardingStep(raw(step_) - 1).value_or(step_), false);
}

void OnboardingFlow::skipToReady()
{
    moveTo(OnboardingStep::ready, true);
}

void OnboardingFlow::chooseWatcher(bool enable)
{
    enableWatcherOnFinish_ = enable;
    Preferences::setValue(prefs::onboardingResumeWatcherChoice, enable);
    next();
}

void OnboardingFlow::applyWatcherChoice()
{
    services_.watcher.setEnabled(enableWatcherOnFinish_);
    next();
}

void OnboardingFlow::continueWithoutAccess()
{
    enableWatcherOnFinish_ = false;
    applyWatcherChoice();
}

void OnboardingFlow::storeCompletion()
{
    Preferences::setValue(prefs::hasCompletedOnboarding, true);
    Preferences::remove(prefs::onboardingResumeStep);
    Preferences::remove(prefs::onboardingResumeWatcherChoice);
}

void OnboardingFlow::finish()
{
    if (finished_)
        return;
    finished_ = true;
    storeCompletion();
    Q_EMIT finished();
}

} // namespace pigmo
