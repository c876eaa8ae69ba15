#pragma once

#include <QObject>

class QSocketNotifier;

namespace pigmo {

// Turns SIGTERM and SIGINT into a signal on the GUI thread, so the program ends through its event loop
// (history written, background styling finished) instead of dying mid-write. One instance per process;
// the handlers stay installed until it is destroyed, when the default dispositions come back.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // False when the pipe or the handlers could not be set up; the default dispositions then apply.
    bool isInstalled() const { return notifier_ != nullptr; }

Q_SIGNALS:
    // Emitted once per received signal, with its number.
    void terminationRequested(int signalNumber);

private:
    void drain();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace pigmo
