#pragma once

#include "qt/capture_module.h"

namespace velcaro {

// CaptureModule on Qt WebEngine: its sessions are QtCaptureSession.
class QtCaptureModule : public CaptureModule {
public:
    QString chromiumVersion() const override;
    QString securityPatchVersion() const override;
    QString userAgent() override;
    std::unique_ptr<PageSession> openSession(QWidget* host) override;
};

} // namespace velcaro
