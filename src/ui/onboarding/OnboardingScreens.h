#pragma once

#include "services/OnboardingLoadingSequence.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QVariantAnimation;

namespace pigmo {

class LocalizationManager;
class LocalizedText;
class LoopingVideoView;
class OnboardingButton;
class OnboardingSecondaryButton;
class OnboardingTitle;
class Spinner;

// The first screen: the app icon, a welcome and the "get started" button.
class OnboardingWelcomeScreen : public QWidget {
    Q_OBJECT
public:
    OnboardingWelcomeScreen(LocalizationManager& localization, std::function<void()> onContinue,
                            QWidget* parent = nullptr);
    OnboardingButton* continueButton() const { return button_; }

private:
    OnboardingButton* button_ = nullptr;
};

// Lays its one child out at a fixed width-to-height ratio, as large as fits, centred.
class AspectFitBox : public QWidget {
    Q_OBJECT
public:
    AspectFitBox(QWidget* child, double ratio, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* child_;
    double ratio_;
};

// A tutorial: a title above a looping animation at a 1.6 aspect ratio.
class OnboardingTutorialScreen : public QWidget {
    Q_OBJECT
public:
    static constexpr double videoAspectRatio = 1.6;

    OnboardingTutorialScreen(LocalizationManager& localization, const QString& titleKey,
                             std::optional<QString> videoAssetName, QWidget* parent = nullptr);
    OnboardingTitle* title() const { return title_; }
    LoopingVideoView* video() const { return video_; }

private:
    OnboardingTitle* title_ = nullptr;
    LoopingVideoView* video_ = nullptr;
};

// The folder-watcher choice: the watcher animation beside a title, the "turn it on" button and a quiet skip.
class OnboardingWatcherScreen : public QWidget {
    Q_OBJECT
public:
    OnboardingWatcherScreen(LocalizationManager& localization, std::function<void()> onContinueWithWatcher,
                            std::function<void()> onSkipWatcher, QWidget* parent = nullptr);
    OnboardingButton* continueButton() const { return continueButton_; }
    OnboardingSecondaryButton* skipButton() const { return skipButton_; }
    LoopingVideoView* video() const { return video_; }

private:
    OnboardingButton* continueButton_ = nullptr;
    OnboardingSecondaryButton* skipButton_ = nullptr;
    LoopingVideoView* video_ = nullptr;
};

// The last screen: the app icon, "all set", how many chosen folders could not be styled (when any), a note
// on the file manager, and the finish button.
class OnboardingReadyScreen : public QWidget {
    Q_OBJECT
public:
    OnboardingReadyScreen(LocalizationManager& localization, int failedCount, std::function<void()> onComplete,
                          QWidget* parent = nullptr);
    OnboardingButton* finishButton() const { return button_; }
    // Nothing when every folder took its style.
    LocalizedText* failureNote() const { return failureNote_; }

private:
    OnboardingButton* button_ = nullptr;
    LocalizedText* failureNote_ = nullptr;
};

// A timed loading screen: a spinner and the sequence's labels, cross-fading, then (when asked for) a green
// checkmark springing in. The sequence runs while the screen is shown; `onComplete` follows its completion.
class OnboardingFakeLoadingScreen : public QWidget {
    Q_OBJECT
public:
    OnboardingFakeLoadingScreen(LocalizationManager& localization, QList<OnboardingLoadingSequence::Label> labels,
                                bool showCheckmark, std::function<bool()> isComplete, std::function<void()> onComplete,
                                QWidget* parent = nullptr);
    ~OnboardingFakeLoadingScreen() override;

    OnboardingLoadingSequence& sequence() { return sequence_; }
    LocalizedText* label() const { return label_; }
    Spinner* spinner() const { return spinner_; }
    // The checkmark's scale, 0 while the spinner shows.
    double checkmarkScale() const { return checkScale_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class Checkmark;
    void showLabel(int index);
    void showCheckmark(bool showing);

    OnboardingLoadingSequence sequence_;
    QWidget* badge_ = nullptr;
    Spinner* spinner_ = nullptr;
    Checkmark* checkmark_ = nullptr;
    LocalizedText* label_ = nullptr;
    QPointer<QVariantAnimation> labelFade_;
    double checkScale_ = 0;
};

} // namespace pigmo
