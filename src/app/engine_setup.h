#pragma once

#include <QString>

namespace velcaro {

// Prepares the process environment before the QApplication exists: the web engine exposes
// its pages to screen readers, and its sandbox, which cannot start as root, is turned off
// there. Returns the line to tell the user when the sandbox was turned off, or an empty
// string.
QString prepareWebEngineEnvironment();

// A write past the file size limit (ulimit -f) would end the process with SIGXFSZ and lose
// the captured text: with the signal ignored the write fails (EFBIG) and the save reports
// error 61 like a full disk.
void ignoreFileSizeSignal();

// Both of the above for the program's own process, telling the user on standard error what
// was changed.
void prepareProgramProcess();

} // namespace velcaro
