#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

namespace pigmo {

// The pace of the onboarding's timed loading screens: a sequence of labels, each shown for its own time, and
// a completion that comes only when the whole sequence has run its time and the real work says it is done
// (polled every 200 ms); optionally a checkmark shown for 0.9 s before it.
//
// GUI thread only. `stop()` (or a new `start()`) cancels every pending step, the delayed completion
// included, so a screen that went away never moves the flow on.
class OnboardingLoadingSequence : public QObject {
    Q_OBJECT
public:
    struct Label {
        QString key; // a string-table key
        std::chrono::milliseconds duration;
    };

    static constexpr std::chrono::milliseconds pollInterval{200};
    static constexpr std::chrono::milliseconds checkmarkHold{900};

    // "Setting up", "Scanning", "Selecting": 6 s in all.
    static QList<Label> setupLabels();
    // "Applying", "Almost done": 4 s in all.
    static QList<Label> applyLabels();

    // `labels` must not be empty. `isComplete` is called on every check and must be cheap.
    OnboardingLoadingSequence(QList<Label> labels, bool showCheckmark, std::function<bool()> isComplete,
                              QObject* parent = nullptr);

    int currentLabelIndex() const { return currentLabelIndex_; }
    // The key of the label shown (the last one once the index passed it).
    QString currentKey() const;
    bool minDurationElapsed() const { return minDurationElapsed_; }
    bool showingCheck() const { return showingCheck_; }
    bool isRunning() const { return running_; }

    // From the first label again; each time the screen comes on screen.
    void start();
    // Each time the screen goes away.
    void stop();

Q_SIGNALS:
    void currentLabelChanged(int index);
    void showingCheckChanged(bool showing);
    void completed();

private:
    void scheduleAdvance(int from);
    void checkCompletion();
    // Runs `step` after `delay` unless the sequence was stopped or started again meanwhile.
    void after(std::chrono::milliseconds delay, std::function<void()> step);

    QList<Label> labels_;
    bool showCheckmark_;
    std::function<bool()> isComplete_;
    int currentLabelIndex_ = 0;
    bool minDurationElapsed_ = false;
    bool showingCheck_ = false;
    bool running_ = false;
    quint64 generation_ = 0;
    QTimer poll_;
};

} // namespace pigmo
