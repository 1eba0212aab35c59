#include "app/qt_capture_platform.h"

#include "browser_window/form1_layout.h"
#include "qt/qt_capture_page.h"
#include "qt/twips.h"
#include "text_window/form3_layout.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace velcaro {

QtCapturePlatform::QtCapturePlatform(std::FILE* report)
    : textBox_(&edit_, form3_layout::kRichTextBox1), console_(stdout, report) {
    host_.setObjectName(QStringLiteral("CaptureHost"));
    host_.resize(Twips::toPixels(form1_layout::kClientWidth),
                 Twips::toPixels(form1_layout::kClientHeight));
    // Shown, so that its pages lay out and take the focus select-all and copy need; on the
    // offscreen platform nobody sees it.
    host_.show();
}

std::unique_ptr<CapturePage> QtCapturePlatform::createPage() {
    return std::make_unique<QtCapturePage>(&host_);
}

void QtCapturePlatform::finish(int exitCode) {
    // Queued, so that a run that ends before the event loop has started still ends it.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); },
        Qt::QueuedConnection);
}

} // namespace velcaro
