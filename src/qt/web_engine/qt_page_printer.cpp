#include "qt/web_engine/qt_page_printer.h"

#include "platform/atomic_file.h"
#include "platform/velcaro_error.h"
#include "qt/print/cups_print_job.h"
#include "qt/print/qt_print_feedback.h"
#include "qt/print/qt_print_preview.h"
#include "qt/web_engine/qt_pdf_maker.h"

#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QWebEngineView>
#include <optional>

namespace velcaro {
namespace {

// Marks a job as running for its lifetime; a second job meanwhile is refused.
class JobGuard {
public:
    explicit JobGuard(std::shared_ptr<bool> running) : running_(std::move(running)) {
        if (*running_)
            throw VelcaroError(error::kPrintBusy, QStringLiteral("È già in corso una stampa "
                                                                 "della pagina: attendere che "
                                                                 "finisca."));
        *running_ = true;
    }
    ~JobGuard() { *running_ = false; }

private:
    std::shared_ptr<bool> running_;
};

// The page ranges the user chose, or none for the whole document.
QPageRanges chosenRanges(const QPrinter& printer) {
    return printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
}

} // namespace

QtPagePrinter::QtPagePrinter() : running_(std::make_shared<bool>(false)) {}

void QtPagePrinter::printWithDialog(QWebEngineView& view, QWidget* over) {
    const JobGuard guard(running_);
    maker_.requireIdle();
    QPrinter printer;
    QPrintDialog dialog(&printer, over ? over : view.window());
    if (dialog.exec() == QDialog::Accepted)
        printTo(view, printer);
}

void QtPagePrinter::printTo(QWebEngineView& view, QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        // The engine's own PDF, vector text and all; one copy, as a file holds one.
        AtomicFile file(printer.outputFileName());
        const std::optional<QByteArray> pdf =
            maker_.make(view, printer.pageLayout(), chosenRanges(printer),
                        QStringLiteral("Preparazione del file PDF..."));
        if (!pdf)
            return;
        file.write(*pdf);
        file.commit();
        return;
    }
    // A real printer is a CUPS queue: the engine's PDF goes to it as it is.
    const std::optional<QByteArray> pdf =
        maker_.make(view, printer.pageLayout(), chosenRanges(printer),
                    QStringLiteral("Preparazione della stampa..."));
    if (!pdf)
        return;
    const QtPrintFeedback feedback(view.window(), QStringLiteral("Invio alla stampante..."));
    CupsPrintJob::submit(*pdf, printer.printerName(),
                         view.title().isEmpty() ? QStringLiteral("Velcaro") : view.title(),
                         CupsPrintJob::options(printer));
}

void QtPagePrinter::previewWithDialog(QWebEngineView& view) {
    std::optional<QByteArray> pdf;
    {
        const JobGuard guard(running_);
        const QPrinter printer;
        pdf = maker_.make(view, printer.pageLayout(), QPageRanges(),
                          QStringLiteral("Preparazione dell'anteprima..."));
    }
    if (!pdf)
        return;
    // A failed print from the preview closes it and is reported like any other failure.
    std::optional<VelcaroError> failure;
    QPointer<QWebEngineView> alive(&view);
    QtPrintPreview preview(
        *pdf,
        [&] {
            try {
                if (alive)
                    printWithDialog(*alive, &preview);
            } catch (const VelcaroError& e) {
                failure = e;
                preview.reject();
            }
        },
        view.window());
    preview.exec();
    if (failure)
        throw *failure;
}

} // namespace velcaro
