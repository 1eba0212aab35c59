#include "platform/web_engine/qt_page_printer.h"

#include "platform/velcaro_error.h"

#include <QEventLoop>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTimer>
#include <QWebEngineView>

namespace velcaro {

void QtPagePrinter::printWithDialog(QWebEngineView& view, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted)
        printTo(view, printer);
}

void QtPagePrinter::previewWithDialog(QWebEngineView& view, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    VelcaroError failure(0, QString());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        try {
            printTo(view, *target);
        } catch (const VelcaroError& e) {
            failure = e;
        }
    });
    dialog.exec();
    if (failure.number() != 0)
        throw failure;
}

void QtPagePrinter::printTo(QWebEngineView& view, QPrinter& printer) {
    if (busy_)
        throw VelcaroError(error::kPrintBusy, QStringLiteral("È già in corso una stampa della "
                                                             "pagina: attendere che finisca."));
    busy_ = true;
    QPointer<QWebEngineView> alive(&view);
    QEventLoop loop;
    bool finished = false;
    bool success = false;
    QObject::connect(&view, &QWebEngineView::printFinished, &loop, [&](bool ok) {
        finished = true;
        success = ok;
        loop.quit();
    });
    QObject::connect(&view, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    view.print(&printer);
    if (!finished)
        loop.exec();
    busy_ = false;
    if (!alive)
        throw VelcaroError(error::kPrintFailed,
                           QStringLiteral("Stampa interrotta: la finestra è stata chiusa."));
    if (!finished)
        throw VelcaroError(error::kPrintFailed,
                           QStringLiteral("La stampa della pagina non è terminata in tempo."));
    if (!success)
        throw VelcaroError(error::kPrintFailed,
                           QStringLiteral("Stampa della pagina non riuscita."));
}

} // namespace velcaro
