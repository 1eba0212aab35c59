#pragma once

#include "batch_capture/capture_options.h"
#include "platform/capture_engine.h"

#include <QString>
#include <memory>

namespace velcaro {

// The engine a capture loads its pages in: the one asked for, or by default Debian's chromium
// when it is installed, else the window's engine. `qtNote` is what preparing the process for
// the window's engine changed (its sandbox, as root). Null when the engine asked for is not
// there: `problem` says why, in Italian. `notice` is a line to tell the user, or empty: the
// window's engine was taken because chromium is missing.
std::unique_ptr<CaptureEngine> captureEngine(CaptureOptions::Engine asked, const QString& qtNote,
                                             QString* problem, QString* notice);

// The lines of `velcaro --version` that name the capture's engines.
QString captureEnginesVersion();

} // namespace velcaro
