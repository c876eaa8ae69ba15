#pragma once

#include "ui/editor/ApplyAnimationOverlay.h"

#include <QEasingCurve>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>

class QVariantAnimation;

namespace pigmo {

class ApplyFailureBadge;
class LocalizationManager;

// The clock of the apply animation, in seconds from the start of a sequence.
struct ApplyTimings {
    static constexpr double initialDelay = 0.35;
    static constexpr double stagger = 0.12;
    static constexpr double riseDuration = 0.95;
    static constexpr double crossDuration = 0.45;
    static constexpr double checkmarkDelay = 0.1;
    static constexpr double clearDelay = 1.4;
    static constexpr double clearDuration = 0.45;
    static constexpr double appearDuration = 0.25;
    // How long a failure stays on screen after it is shown.
    static constexpr double failureDisplay = 3.0;
    static constexpr int maximumItems = 10;

    static double riseAt(int index) { return initialDelay + stagger * index; }
    static double crossAt(int index) { return riseAt(index) + riseDuration; }
    static double settleAt(int index) { return crossAt(index) + crossDuration; }
    // When the last of `count` items settles.
    static double lastSettled(int count) { return settleAt(count - 1); }
};

// Plays the apply animation on an overlay: shows it with the items, moves each card through its phases on
// the timings above, then ends on the outcome of the apply (a checkmark when every folder took its icon, a
// failure badge naming the others) and hides the overlay. The outcome may arrive before or after the cards
// settle; the ending waits for it. Each sequence has a generation: starting a new one makes every pending step
// of the earlier ones do nothing. GUI thread only; the overlay outlives the sequencer.
class ApplySequencer : public QObject {
    Q_OBJECT

public:
    ApplySequencer(ApplyAnimationOverlay& overlay, const LocalizationManager& localization, QObject* parent = nullptr);
    ~ApplySequencer() override;

    // Starts a sequence over `items` (all hidden; at most `maximumItems` are kept). Returns its generation.
    int run(QList<ApplyAnimationItem> items);
    // The folders' icons before the apply for the cards of sequence `generation`, in order, when they arrive
    // after it started. A stale generation is ignored.
    void setBeforeImages(int generation, const QList<QImage>& images);
    // The outcome of sequence `generation`: the names of the folders that did not take their icon (empty: all
    // did). A stale generation is ignored.
    void finish(int generation, const QStringList& failedFolders);
    // A sequence of one sample card, a blue folder taking a random style, ending on the checkmark.
    void playSample();

    int generation() const { return generation_; }
    bool isRunning() const { return running_; }
    // The shown ending: nothing before it, else whether it is the checkmark.
    std::optional<bool> shownOutcome() const { return shownOutcome_; }
    QStringList shownFailures() const { return failures_.value_or(QStringList()); }
    ApplyFailureBadge* failureBadge() const { return failureBadge_; }

Q_SIGNALS:
    void phaseChanged(int index, pigmo::ApplyAnimationPhase phase);
    void outcomeShown(bool success);
    // The overlay was emptied and hidden.
    void cleared();

private:
    void at(double seconds, std::function<void()> step);
    void setPhase(int index, ApplyAnimationPhase phase, const QEasingCurve* curve, double duration);
    void animateLook(int index, ApplyCardLook from, ApplyCardLook to, QVariantAnimation* animation);
    void showOutcomeWhenReady();
    // Fades the overlay from one opacity to another; the animation deletes itself when it ends.
    QVariantAnimation* fade(double from, double to, double seconds, QEasingCurve::Type curve);
    void clear();

    ApplyAnimationOverlay& overlay_;
    ApplyFailureBadge* failureBadge_ = nullptr;
    QList<std::optional<ApplyCardLook>> looks_;
    QList<QPointer<QVariantAnimation>> animations_;
    int generation_ = 0;
    bool running_ = false;
    bool outcomeDue_ = false;
    std::optional<QStringList> failures_;
    std::optional<bool> shownOutcome_;
};

// The red badge and the message over the apply overlay when some folders kept their old icon.
class ApplyFailureBadge : public QWidget {
    Q_OBJECT

public:
    static inline const QColor badgeRed{220, 58, 52};

    explicit ApplyFailureBadge(const LocalizationManager& localization, QWidget* parent = nullptr);

    void setFailures(const QStringList& folderNames, QPointF badgeCentreOffset);
    const QString& message() const { return message_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const LocalizationManager& localization_;
    QString message_;
    QPointF badgeOffset_;
};

} // namespace pigmo
