#include "qt/print/cups_print_job.h"

#include "platform/velcaro_error.h"

#include <cups/cups.h>

namespace velcaro {
namespace {

// The print system takes a document in pieces of this size.
constexpr qsizetype kChunk = 64 * 1024;

VelcaroError refused(const QString& queue) {
    return {error::kPrintFailed,
            QStringLiteral("La stampante \"%1\" non ha accettato la stampa: %2")
                .arg(queue, QString::fromUtf8(cupsLastErrorString()))};
}

} // namespace

QByteArray CupsPrintJob::sides(QPrinter::DuplexMode duplex, QPageLayout::Orientation orientation) {
    switch (duplex) {
    case QPrinter::DuplexLongSide:
        return "two-sided-long-edge";
    case QPrinter::DuplexShortSide:
        return "two-sided-short-edge";
    case QPrinter::DuplexAuto:
        return orientation == QPageLayout::Portrait ? "two-sided-long-edge"
                                                    : "two-sided-short-edge";
    case QPrinter::DuplexNone:
        break;
    }
    return "one-sided";
}

CupsPrintJob::Options CupsPrintJob::options(const QPrinter& printer) {
    using Option = QPair<QByteArray, QByteArray>;
    Options options;
    if (printer.copyCount() > 1) {
        options.append(Option{"copies", QByteArray::number(printer.copyCount())});
        options.append(Option{"collate", printer.collateCopies() ? "true" : "false"});
    }
    options.append(Option{"sides", sides(printer.duplex(), printer.pageLayout().orientation())});
    if (printer.colorMode() == QPrinter::GrayScale)
        options.append(Option{"print-color-mode", "monochrome"});
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        options.append(Option{"outputorder", "reverse"});
    options.append(Option{"media", printer.pageLayout().pageSize().key().toUtf8()});
    return options;
}

void CupsPrintJob::submit(const QByteArray& pdf, const QString& queue, const QString& title,
                          const Options& options) {
    const QByteArray name = queue.toUtf8();
    const QByteArray jobTitle = title.toUtf8();
    cups_option_t* cupsOptions = nullptr;
    int count = 0;
    for (const auto& [option, value] : options)
        count = cupsAddOption(option.constData(), value.constData(), count, &cupsOptions);
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), jobTitle.constData(), count,
                                  cupsOptions);
    cupsFreeOptions(count, cupsOptions);
    if (job <= 0)
        throw refused(queue);

    bool sent = cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), job, jobTitle.constData(),
                                  CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    for (qsizetype at = 0; sent && at < pdf.size(); at += kChunk)
        sent = cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.constData() + at,
                                    size_t(qMin(kChunk, pdf.size() - at))) == HTTP_STATUS_CONTINUE;
    const bool finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData()) == IPP_STATUS_OK;
    if (!sent || !finished) {
        const VelcaroError failure = refused(queue);
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
        throw failure;
    }
}

} // namespace velcaro
