#pragma once

#include "services/OnboardingFlow.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QVariantAnimation;

namespace pigmo {

class FDAPermissionManager;
class FolderLanguagesManager;
class FolderWatcherService;
class IconStylePreferenceManager;
class LocalizationManager;
class OnboardingButton;
class OnboardingSuggestionsModel;

// The first-start flow shown in the main window until the user finishes it: eleven screens (welcome, two
// tutorials, the glyph library, the folder-name languages, the watcher, folder access, the timed setup
// while the home is scanned, the suggestions, the timed apply, the end), the chevrons, the continue button
// and the seven progress dots. A step change fades the old screen out (0.18 s) and then slides the new one
// in from 50 points to the side it comes from while it fades in (0.28 s).
//
// The step, its resume at the next start and the watcher choice live in `OnboardingFlow`; the proposals in
// the suggestions model, made once for the view's lifetime. GUI thread only.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    struct Services {
        FolderWatcherService& watcher;
        IconStylePreferenceManager& iconStyle;
        FolderLanguagesManager& languages;
        FDAPermissionManager& fda;
        LocalizationManager& localization;
        // Whether the program may read the user's folders, probed when the view is made.
        std::function<bool()> isFolderAccessGranted;
        std::function<std::unique_ptr<OnboardingSuggestionsModel>()> makeSuggestionsModel;
    };

    static constexpr int fadeOutMs = 180;
    static constexpr int slideInDelayMs = 180;
    static constexpr int slideInMs = 280;
    static constexpr int skipMs = 300;
    static constexpr int slideDistance = 50;

    // `onComplete` runs once, after the completed flag is stored and the resume keys are removed.
    OnboardingView(Services services, std::function<void()> onComplete, QWidget* parent = nullptr);
    ~OnboardingView() override;

    OnboardingFlow& flow() { return *flow_; }
    OnboardingSuggestionsModel& suggestionsModel() { return *suggestionsModel_; }
    OnboardingStep step() const { return flow_->step(); }

    // The screen of the current step (the incoming one while a transition runs).
    QWidget* screen() const { return screen_; }
    QAbstractButton* backButton() const { return backButton_; }
    QAbstractButton* forwardButton() const { return forwardButton_; }
    OnboardingButton* continueButton() const { return continueButton_; }
    QWidget* progressDots() const;
    // Whether a step change is still animating.
    bool isTransitioning() const;

    void next() { flow_->next(); }
    void goToPreviousStep() { flow_->goToPreviousStep(); }
    void skipToReady() { flow_->skipToReady(); }
    // Stores the completed flag, removes the saved resume step and watcher choice, then calls `onComplete`.
    // A second call does nothing.
    void finish();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Dots;
    QWidget* makeScreen(OnboardingStep step);
    void showStep(OnboardingStep step, OnboardingFlow::Direction direction, bool skipped);
    void updateChrome();
    void layOut();
    QAbstractButton* defaultButton() const;

    Services services_;
    std::function<void()> onComplete_;
    std::unique_ptr<OnboardingFlow> flow_;
    std::unique_ptr<OnboardingSuggestionsModel> suggestionsModel_;
    QPointer<QWidget> screen_;
    QPointer<QWidget> leaving_;
    QPointer<QVariantAnimation> slide_;
    QAbstractButton* backButton_ = nullptr;
    QAbstractButton* forwardButton_ = nullptr;
    OnboardingButton* continueButton_ = nullptr;
    Dots* dots_ = nullptr;
    double slideOffset_ = 0;
    bool completed_ = false;
};

} // namespace pigmo
