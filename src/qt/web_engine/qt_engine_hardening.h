#pragma once

#include "qt/web_page.h"

#include <QString>

namespace velcaro {

// What the engine of this module says of itself; nothing is started to ask it.
WebEngineFacts runningEngineFacts();

// Before the engine starts: when its security fixes are more than a year old (EngineAge),
// JavaScript runs without its JIT compilers, which also leaves out WebAssembly: the flag goes
// into QTWEBENGINE_CHROMIUM_FLAGS, where the engine reads it, after the user's own flags. A
// choice of the user's on the JIT there (--js-flags naming jitless, --no-jitless too) is left
// as it is. From then on engineHardened() is true.
void hardenOldEngine();

// Whether hardenOldEngine() found the engine old: its pages then have no WebGL.
bool engineHardened();

} // namespace velcaro
