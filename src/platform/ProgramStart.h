#pragma once

#include "platform/CommandLine.h"
#include "platform/SingleInstance.h"

#include <QStringList>

#include <optional>

namespace pigmo {

// How a start of the program begins: `read` takes the command line once, before any GUI exists; it names
// the application (name and version for --version), prints help, version and errors ("No folders found." on
// standard error, status 1). `claim` then hands the request of a second start to the running instance
// (status 0). A running instance that does not confirm in time is reported: when it was handed the whole
// request it takes it once it resumes, and this process ends with status 0 (a retry would hand the request
// over twice); when it could not be handed the request, with status 1. When the instance socket cannot be
// used at all, this process runs.
struct ProgramStart {
    std::optional<LaunchRequest> request; // present: this process is the running instance
    int exitCode = 0;

    // Names the application, parses `arguments` and prints what the parse answers; `--verbose` switches the
    // diagnostic lines on for the whole process. A named folder that cannot be reached gets its line first:
    // "FOLDER: not styled: REASON" on standard output for --smart, "FOLDER: cannot be opened: REASON" on
    // standard error otherwise.
    static CommandLineResult read(const QStringList& arguments);
    static ProgramStart claim(const LaunchRequest& request, SingleInstance& instance);
};

} // namespace pigmo
