// The module's entry points, found by name when the program loads the module.

#include "qt/web_engine/qt_capture_module.h"
#include "qt/web_engine/qt_engine_hardening.h"
#include "qt/web_engine/qt_engine_start.h"
#include "qt/web_engine/qt_web_page.h"

extern "C" Q_DECL_EXPORT velcaro::WebPage* velcaro_create_web_page(QWidget* parent) {
    velcaro::startWebEngine();
    return new velcaro::QtWebPage(parent);
}

// Asks nothing of the engine yet: the program may want only its versions, before any
// application object exists.
extern "C" Q_DECL_EXPORT velcaro::CaptureModule* velcaro_capture_module() {
    static velcaro::QtCaptureModule module;
    return &module;
}

extern "C" Q_DECL_EXPORT void velcaro_read_web_engine_facts(velcaro::WebEngineFacts* facts) {
    *facts = velcaro::runningEngineFacts();
}
