#pragma once

#include "app/engine_setup.h"

#include <QtGlobal>

namespace velcaro::bench {

// What a benchmark that runs the web engine in its own process sets up before the application
// object: the offscreen platform unless another is asked for, the web engine module of this
// build (a benchmark is not where the program looks for it), and the engine's settings as the
// program makes them.
inline void prepareOffscreenEngine() {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("VELCARO_WEB_MODULE"))
        qputenv("VELCARO_WEB_MODULE", VELCARO_BUILT_WEB_MODULE);
    prepareWebEngineEnvironment();
}

} // namespace velcaro::bench
