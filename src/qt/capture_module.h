#pragma once

#include "platform/capture_engine.h"

#include <QString>
#include <memory>

class QWidget;

namespace velcaro {

// What the web engine module offers the command-line capture (the window has WebPage). The
// versions need no application object; the rest does.
class CaptureModule {
public:
    virtual ~CaptureModule() = default;

    // The engine's Chromium version, and the Chromium version its security fixes reach.
    virtual QString chromiumVersion() const = 0;
    virtual QString securityPatchVersion() const = 0;
    // The user agent the engine's pages send; starts the engine.
    virtual QString userAgent() = 0;
    // A session whose page fills `host`, a shown widget.
    virtual std::unique_ptr<PageSession> openSession(QWidget* host) = 0;
};

// The module's entry point for the capture: its one CaptureModule.
using GetCaptureModule = CaptureModule* (*)();
constexpr char kCaptureModuleSymbol[] = "velcaro_capture_module";

} // namespace velcaro
