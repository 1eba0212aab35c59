#pragma once

#include <QByteArray>
#include <QList>
#include <QPageLayout>
#include <QPair>
#include <QPrinter>
#include <QString>

namespace velcaro {

// Sends a PDF to a CUPS print queue as it is: the print system takes PDF, so the pages stay
// vector and nothing is rendered here, whatever the length of the document.
class CupsPrintJob {
public:
    using Options = QList<QPair<QByteArray, QByteArray>>;

    // The job options for what the user chose in the print dialog: copies and collation,
    // two-sided printing, grey scale, page order and paper. Page ranges are not among them:
    // the PDF holds only the chosen pages.
    static Options options(const QPrinter& printer);
    // The "sides" option: "auto" turns on the long edge of portrait pages, the short edge of
    // landscape ones.
    static QByteArray sides(QPrinter::DuplexMode duplex, QPageLayout::Orientation orientation);

    // Queues `pdf` on `queue` under `title`. Throws VelcaroError when the print system refuses.
    static void submit(const QByteArray& pdf, const QString& queue, const QString& title,
                       const Options& options);
};

} // namespace velcaro
