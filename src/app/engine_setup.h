#pragma once

#include <QString>

namespace velcaro {

// Prepares the process environment before the QApplication exists: the web engine's
// sandbox cannot start as root, so it is turned off there. Returns the line to tell the
// user when something was changed, or an empty string.
QString prepareWebEngineEnvironment();

} // namespace velcaro
