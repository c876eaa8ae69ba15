#pragma once

#include <QObject>

#include <functional>
#include <optional>

namespace pigmo {

class FolderWatcherService;

// The steps of the onboarding, in their order; the numbers are stored as the resume step.
enum class OnboardingStep : int {
    welcome = 0,
    tutorialDrag,
    tutorialRightClick,
    style,
    languages,
    watcher,
    fda,
    setupLoading,
    suggestions,
    applyLoading,
    ready,
};

// The step of a stored number; nothing for numbers outside 0 to 10.
std::optional<OnboardingStep> onboardingStep(int raw);

// Where the onboarding stands and how it moves on: the step, the direction of the last move, the watcher
// choice, the resume of an interrupted onboarding at the next start, and its completion. The view shows the
// step and calls these operations; every move stores the new step as the resume step at once.
//
// GUI thread only.
class OnboardingFlow : public QObject {
    Q_OBJECT
public:
    enum class Direction { forward, backward };

    struct Services {
        FolderWatcherService& watcher;
        // Whether the program may read the user's folders (always so on an ordinary desktop; a sandbox may
        // say no).
        std::function<bool()> isFolderAccessGranted;
    };

    // The steps that show a progress dot: welcome to fda.
    static constexpr int progressDotCount = 7;

    // Starts where the stored resume step says (see `resumeStep`) with the stored watcher choice (on when
    // none is stored).
    explicit OnboardingFlow(Services services, QObject* parent = nullptr);

    OnboardingStep step() const { return step_; }
    Direction direction() const { return direction_; }
    bool enableWatcherOnFinish() const { return enableWatcherOnFinish_; }
    bool isFinished() const { return finished_; }

    // The step an onboarding resumes at: the stored one, except that anything from fda to applyLoading
    // starts again at setupLoading (with folder access) or fda (without); welcome when none or an unknown
    // one is stored.
    static OnboardingStep resumeStep(std::optional<int> stored, bool folderAccessGranted);

    // What the view shows around a step.
    static bool showsBackButton(OnboardingStep step);
    static bool showsForwardButton(OnboardingStep step);
    static bool showsContinueButton(OnboardingStep step);
    static bool showsProgressDots(OnboardingStep step);

    // Stores the current step as the resume step (the view calls it when it comes on screen).
    void saveResumeStep() const;
    // One step on or back; nothing past ready or before welcome (the direction is still set).
    void next();
    void goToPreviousStep();
    // From the suggestions straight to the last step, without applying.
    void skipToReady();
    // Remembers (and stores) whether the watcher is to run, then moves on.
    void chooseWatcher(bool enable);
    // Switches the watcher as chosen, then moves on; the continue action of the folder-access step.
    void applyWatcherChoice();
    // The way on when folder access is missing: the watcher stays off, then moves on.
    void continueWithoutAccess();
    // Stores the completed flag and removes both resume keys, then emits `finished()`; once.
    void finish();

    // The completion of the onboarding as stored: the flag set, the resume keys removed.
    static void storeCompletion();

Q_SIGNALS:
    // `skipped` marks the jump of `skipToReady()`.
    void stepChanged(OnboardingStep step, Direction direction, bool skipped);
    void finished();

private:
    void moveTo(OnboardingStep step, bool skipped);

    Services services_;
    OnboardingStep step_ = OnboardingStep::welcome;
    Direction direction_ = Direction::forward;
    bool enableWatcherOnFinish_ = true;
    bool finished_ = false;
};

} // namespace pigmo
