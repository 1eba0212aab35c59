#include "app/qt_capture_platform.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QTemporaryFile>

namespace velcaro {

QtCapturePlatform::QtCapturePlatform(std::unique_ptr<CaptureEngine> engine, std::FILE* report)
    : engine_(std::move(engine)), console_(stdout, report) {}

// Through a file of its own: a document loaded from a file is read at once, one from memory
// only later from the event loop.
bool QtCapturePlatform::readPdf(const QByteArray& pdf, QString* text, QString* title) {
    QTemporaryFile file;
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush())
        return false;
    QPdfDocument document;
    if (document.load(file.fileName()) != QPdfDocument::Error::None)
        return false;
    QStringList pages;
    for (int page = 0; page < document.pageCount(); ++page)
        pages << document.getAllText(page).text();
    *text = pages.join(QStringLiteral("\n\n"));
    *title = document.metaData(QPdfDocument::MetaDataField::Title).toString();
    return true;
}

void QtCapturePlatform::finish(int exitCode) {
    // Queued, so that a run that ends before the event loop has started still ends it.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); },
        Qt::QueuedConnection);
}

} // namespace velcaro
