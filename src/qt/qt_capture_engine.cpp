#include "qt/qt_capture_engine.h"

#include "browser_window/form1.h"
#include "browser_window/form1_layout.h"
#include "platform/velcaro_error.h"
#include "qt/capture_module.h"
#include "qt/twips.h"
#include "qt/web_engine_loader.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace velcaro {

QtCaptureEngine::QtCaptureEngine(QString note) : note_(std::move(note)) {}

QtCaptureEngine::~QtCaptureEngine() = default;

QWidget& QtCaptureEngine::host() {
    if (host_)
        return *host_;
    host_ = std::make_unique<QWidget>();
    host_->setObjectName(QStringLiteral("CaptureHost"));
    const double top = form1_layout::kText1.height + Form1::kBrowserGap;
    host_->resize(Twips::toPixels(TwipsRect{0, 0, form1_layout::kClientWidth,
                                            static_cast<float>(form1_layout::kClientHeight - top)})
                      .size());
    // Shown, so that its pages lay out and take the focus select-all and copy need.
    host_->show();
    return *host_;
}

QString QtCaptureEngine::description() const {
    const QString qt = QStringLiteral("Qt WebEngine %1").arg(QString::fromLatin1(qVersion()));
    try {
        const CaptureModule& module = captureModule();
        return QStringLiteral("%1 (Chromium %2, correzioni di sicurezza fino a %3)")
            .arg(qt, module.chromiumVersion(), module.securityPatchVersion());
    } catch (const VelcaroError&) {
        return qt;
    }
}

void QtCaptureEngine::start(std::function<void(const QString& failure)> ready) {
    QString failure;
    try {
        userAgent_ = captureModule().userAgent();
        host();
    } catch (const VelcaroError& e) {
        failure = e.description();
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [ready = std::move(ready), failure] { ready(failure); },
        Qt::QueuedConnection);
}

std::unique_ptr<PageSession> QtCaptureEngine::openSession() {
    return captureModule().openSession(&host());
}

} // namespace velcaro
