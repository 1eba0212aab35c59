#pragma once

#include "batch_capture/capture_options.h"

namespace velcaro {

// Runs `velcaro --capture` on the offscreen platform, whatever display there is, and returns
// its exit code. An address "-" is replaced by the list read from standard input.
int runCapture(CaptureOptions options, int argc, char** argv);

} // namespace velcaro
