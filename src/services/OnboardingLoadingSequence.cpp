#include "services/OnboardingLoadingSequence.h"

#include <algorithm>

namespace pigmo {

using namespace std::chrono_literals;

QList<OnboardingLoadingSequence::Label> OnboardingLoadingSequence::setupLabels()
{
    return {{QStringLiteral("onboarding_loading_setup"), 1500ms},
            {QStringLiteral("onboarding_loading_scanning"), 2500ms},
            {QStringLiteral("onboarding_loading_selecting"), 2000ms}};
}

QList<OnboardingLoadingSequence::Label> OnboardingLoadingSequence::applyLabels()
{
    return {{QStringLiteral("onboarding_loading_applying"), 2500ms},
            {QStringLiteral("onboarding_loading_almost_done"), 1500ms}};
}

OnboardingLoadingSequence::OnboardingLoadingSequence(QList<Label> labels, bool showCheckmark,
                                                     std::function<bool()> isComplete, QObject* parent)
    : QObject(parent)
    , labels_(std::move(labels))
    , showCheckmark_(showCheckmark)
    , isComplete_(std::move(isComplete))
{
    Q_ASSERT(!labels_.isEmpty());
    poll_.setInterval(pollInterval);
    connect(&poll_, &QTimer::timeout, this, [this] {
        if (minDurationElapsed_)
            checkCompletion();
    });
}

QString OnboardingLoadingSequence::currentKey() const
{
    return labels_.isEmpty() ? QString() : labels_[std::min<qsizetype>(currentLabelIndex_, labels_.size() - 1)].key;
}

void OnboardingLoadingSequence::after(std::chrono::milliseconds delay, std::function<void()> step)
{
    QTimer::singleShot(delay, this, [this, generation = generation_, step = std::move(step)] {
        if (generation == generation_)
            step();
    });
}

void OnboardingLoadingSequence::start()
{
    ++generation_;
    running_ = true;
    currentLabelIndex_ = 0;
    Q_EMIT currentLabelChanged(0);
    if (showingCheck_) {
        showingCheck_ = false;
        Q_EMIT showingCheckChanged(false);
    }
    minDurationElapsed_ = false;
    scheduleAdvance(0);
    std::chrono::milliseconds total{0};
    for (const Label& label : labels_)
        total += label.duration;
    after(total, [this] {
        minDurationElapsed_ = true;
        checkCompletion();
    });
    poll_.start();
}

void OnboardingLoadingSequence::stop()
{
    ++generation_;
    running_ = false;
    poll_.stop();
}

void OnboardingLoadingSequence::scheduleAdvance(int from)
{
    if (from >= labels_.size() - 1)
        return; // the last label stays until the end
    after(labels_[from].duration, [this, from] {
        currentLabelIndex_ = from + 1;
        Q_EMIT currentLabelChanged(currentLabelIndex_);
        scheduleAdvance(from + 1);
    });
}

void OnboardingLoadingSequence::checkCompletion()
{
    if (!running_ || !minDurationElapsed_ || showingCheck_ || !isComplete_())
        return;
    poll_.stop();
    if (!showCheckmark_) {
        stop();
        Q_EMIT completed();
        return;
    }
    showingCheck_ = true;
    Q_EMIT showingCheckChanged(true);
    ++generation_; // no label advance after the checkmark
    after(checkmarkHold, [this] {
        running_ = false;
        Q_EMIT completed();
    });
}

} // namespace pigmo
