#include "qt/web_engine/qt_capture_module.h"

#include "qt/web_engine/qt_capture_session.h"
#include "qt/web_engine/qt_engine_start.h"

#include <QWebEngineProfile>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace velcaro {

QString QtCaptureModule::chromiumVersion() const {
    return QString::fromLatin1(qWebEngineChromiumVersion());
}

QString QtCaptureModule::securityPatchVersion() const {
    return QString::fromLatin1(qWebEngineChromiumSecurityPatchVersion());
}

QString QtCaptureModule::userAgent() {
    startWebEngine();
    // What a session's profile of its own sends, asked of one such profile.
    const QWebEngineProfile profile;
    return profile.httpUserAgent();
}

std::unique_ptr<PageSession> QtCaptureModule::openSession(QWidget* host) {
    startWebEngine();
    return std::make_unique<QtCaptureSession>(host);
}

} // namespace velcaro
