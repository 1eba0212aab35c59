#pragma once

#include "batch_capture/capture_options.h"

namespace velcaro {

// Runs `velcaro --capture` on the offscreen platform, whatever display there is, and returns
// its exit code. An address "-" is replaced by the list read from standard input. The
// application object gets only `program`, the program's name.
int runCapture(CaptureOptions options, char* program);

} // namespace velcaro
