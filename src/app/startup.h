#pragma once

#include <functional>

namespace velcaro {

// Starts the program: reads the command line (help and version answer without a window),
// checks for a display, prepares the web engine, creates the application, loads and shows the
// browser window, offers a captured text left by a run that ended with it open, loads the
// address given on the command line as GO does, and runs the event loop until no window is
// visible. `afterShown`, when given, runs once the browser window is shown.
int runVelcaro(int argc, char** argv, const std::function<void()>& afterShown = {});

} // namespace velcaro
