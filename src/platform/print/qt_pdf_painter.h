#pragma once

#include <QByteArray>

class QPrinter;

namespace velcaro {

class QtPrintFeedback;

// Prints a PDF made by the web engine on a printer that takes pictures of pages (a real
// printer): each page is rendered at the printer's resolution and painted, one page at a
// time, so memory holds a single page picture whatever the length of the document.
class QtPdfPainter {
public:
    // Printers are asked for at most this resolution: a page picture at 300 dpi is about
    // 35 MB (A4), at 1200 dpi about 560 MB.
    static constexpr int kMaxDpi = 300;

    // Lowers the printer's resolution to kMaxDpi unless its own is already lower.
    static void limitResolution(QPrinter& printer);

    // Paints every page of `pdf` on `printer`, with the copies the printer does not make by
    // itself. Returns false when the user cancelled (the job is aborted); throws VelcaroError
    // on failure.
    static bool paint(const QByteArray& pdf, QPrinter& printer, QtPrintFeedback& feedback);
};

} // namespace velcaro
