#pragma once

namespace pigmo {

// The program: parses the command line, hands it to an already running instance or becomes the
// instance, launches the application delegate and runs the event loop until the program is asked to
// end (menu, tray, SIGTERM, SIGINT). `--smart` with no instance running styles its folders without a
// window and ends; a start that needs a window and has no display says so and ends with status 1.
// Returns the process's exit status.
int runApplication(int argc, char** argv);

} // namespace pigmo
