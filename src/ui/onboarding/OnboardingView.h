#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

namespace pigmo {

// The first-start flow shown in the main window until the user finishes it. This is its shortest form:
// one welcome screen whose button finishes the onboarding.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    // `onComplete` runs once, after the completed flag is stored.
    explicit OnboardingView(std::function<void()> onComplete, QWidget* parent = nullptr);

    // Stores the completed flag, removes the saved resume step and watcher choice, then calls
    // `onComplete`. A second call does nothing.
    void finish();

    QPushButton* continueButton() const { return continueButton_; }

private:
    std::function<void()> onComplete_;
    QPushButton* continueButton_ = nullptr;
    bool finished_ = false;
};

} // namespace pigmo
