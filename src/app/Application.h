#pragma once

namespace pigmo {

// The program: parses the command line, hands it to an already running instance or becomes the
// instance, launches the application delegate and runs the event loop until the program is asked to
// end (menu, tray, SIGTERM, SIGINT). Returns the process's exit status.
int runApplication(int argc, char** argv);

} // namespace pigmo
