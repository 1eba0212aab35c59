#include "app/qt_capture_platform.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace velcaro {

QtCapturePlatform::QtCapturePlatform(std::unique_ptr<CaptureEngine> engine, std::FILE* report)
    : engine_(std::move(engine)), console_(stdout, report) {}

void QtCapturePlatform::finish(int exitCode) {
    // Queued, so that a run that ends before the event loop has started still ends it.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); },
        Qt::QueuedConnection);
}

} // namespace velcaro
