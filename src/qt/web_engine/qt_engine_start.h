#pragma once

namespace velcaro {

// Sets up what the engine needs of the application object (the shared OpenGL context), once,
// before its first profile or page. It runs by itself when the engine is linked into the
// program; loaded as a module after the application object exists, the engine must be set up
// by hand. An old engine is hardened first (hardenOldEngine).
void startWebEngine();

} // namespace velcaro
