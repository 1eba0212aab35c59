#pragma once

#include <QString>

namespace velcaro {

// The lines `velcaro --version` gives on the window's web engine, each ended by a new line:
// its Qt WebEngine and Chromium versions and how recent its security fixes are, then what to
// do when they are more than a year old. Loads the engine module, not the engine: no display
// is needed. A module that cannot be loaded is said instead.
QString windowEngineVersion();

} // namespace velcaro
