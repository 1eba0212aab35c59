#include "qt/web_engine/qt_engine_start.h"

#include "qt/web_engine/qt_engine_hardening.h"

#include <QtGlobal>

// Exported by Qt WebEngine Core, which declares it in no public header.
namespace QtWebEngineCore {
Q_DECL_IMPORT void initialize();
}

namespace velcaro {

void startWebEngine() {
    static const bool started = [] {
        hardenOldEngine();
        QtWebEngineCore::initialize();
        return true;
    }();
    Q_UNUSED(started);
}

} // namespace velcaro
