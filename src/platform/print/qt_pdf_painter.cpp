#include "platform/print/qt_pdf_painter.h"

#include "platform/print/qt_print_feedback.h"
#include "platform/velcaro_error.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QPrinter>
#include <algorithm>

namespace velcaro {
namespace {

VelcaroError printFailure(const QString& why) {
    return {error::kPrintFailed, QStringLiteral("Stampa della pagina non riuscita: %1").arg(why)};
}

// The order in which pages go to the printer: every copy of the document in turn when
// collating, else every page as many times as there are copies.
QList<int> pageOrder(int pages, int copies, bool collate) {
    QList<int> order;
    order.reserve(pages * copies);
    for (int outer = 0; outer < (collate ? copies : pages); ++outer)
        for (int inner = 0; inner < (collate ? pages : copies); ++inner)
            order.append(collate ? inner : outer);
    return order;
}

} // namespace

void QtPdfPainter::limitResolution(QPrinter& printer) {
    if (printer.resolution() > kMaxDpi)
        printer.setResolution(kMaxDpi);
}

bool QtPdfPainter::paint(const QByteArray& pdf, QPrinter& printer, QtPrintFeedback& feedback) {
    QByteArray data = pdf;
    QBuffer source(&data);
    source.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&source);
    if (document.status() != QPdfDocument::Status::Ready || document.pageCount() < 1)
        throw printFailure(QStringLiteral("il documento da stampare non è leggibile."));

    limitResolution(printer);
    // The engine's pages already hold the margins of the chosen layout: each is painted on
    // the whole sheet.
    printer.setFullPage(true);
    const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    const QList<int> order = pageOrder(document.pageCount(), copies, printer.collateCopies());
    QPainter painter;
    if (!painter.begin(&printer))
        throw printFailure(QStringLiteral("la stampante non è disponibile."));
    const QRect target = painter.viewport();
    for (qsizetype i = 0; i < order.size(); ++i) {
        feedback.setLabel(
            QStringLiteral("Stampa della pagina %1 di %2...").arg(i + 1).arg(order.size()));
        feedback.setProgress(int(i), int(order.size()));
        QCoreApplication::processEvents();
        if (feedback.cancelled()) {
            printer.abort();
            painter.end();
            return false;
        }
        if (i > 0 && !printer.newPage())
            throw printFailure(QStringLiteral("la stampante ha rifiutato una pagina."));
        const QSizeF points = document.pagePointSize(order[i]);
        const QSize pixels = (points * printer.resolution() / 72.0)
                                 .toSize()
                                 .scaled(target.size(), Qt::KeepAspectRatio);
        const QImage image = document.render(order[i], pixels);
        if (image.isNull())
            throw printFailure(QStringLiteral("pagina %1 non disegnabile.").arg(order[i] + 1));
        painter.drawImage(target.topLeft(), image);
    }
    if (!painter.end())
        throw printFailure(QStringLiteral("la stampante non ha accettato il lavoro."));
    return true;
}

} // namespace velcaro
