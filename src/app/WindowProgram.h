#pragma once

#include "platform/CommandLine.h"

#include <memory>
#include <optional>

namespace pigmo {

class AppDelegate;
class AppServices;
class SingleInstance;
class TerminationSignals;

// The program with a window, composed the one way the program runs it: the termination signals, the
// single-instance claim, the services and the application delegate's launch, in that order. Made once the
// QApplication exists, on the GUI thread; `main` runs it, and the tests of the window build the same one.
class WindowProgram {
public:
    // Claims the single instance for `request` and, when this process is to run, launches the window.
    explicit WindowProgram(const LaunchRequest& request);
    ~WindowProgram();
    WindowProgram(const WindowProgram&) = delete;
    WindowProgram& operator=(const WindowProgram&) = delete;

    // Set when the start ended at once: its request went to the running program (0), or the running
    // program did not answer (1). Nothing else was built then.
    std::optional<int> endedWith() const { return endedWith_; }

    // The launched program; only when `endedWith()` is empty.
    AppDelegate& delegate() const { return *delegate_; }
    AppServices& services() const { return *services_; }

    // Runs the event loop until Quit or a termination signal, then lets the pending work finish; the exit
    // status.
    int exec();

private:
    std::optional<int> endedWith_;
    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<TerminationSignals> termination_;
    std::unique_ptr<AppServices> services_;
    std::unique_ptr<AppDelegate> delegate_;
};

} // namespace pigmo
