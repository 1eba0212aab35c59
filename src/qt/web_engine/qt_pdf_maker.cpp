#include "qt/web_engine/qt_pdf_maker.h"

#include "platform/velcaro_error.h"
#include "qt/print/qt_print_feedback.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEngineView>
#include <memory>

namespace velcaro {
namespace {

// Shared with the engine's callback, which can come after the wait has ended.
struct PdfResult {
    bool arrived = false;
    bool processEnded = false;
    QByteArray pdf;
    QPointer<QEventLoop> loop;
    std::shared_ptr<bool> engineBusy;
};

} // namespace

QtPdfMaker::QtPdfMaker() : busy_(std::make_shared<bool>(false)) {}

void QtPdfMaker::requireIdle() const {
    if (*busy_)
        throw VelcaroError(error::kPrintBusy,
                           QStringLiteral("Il motore web sta ancora chiudendo la stampa "
                                          "annullata: riprovare tra qualche istante."));
}

std::optional<QByteArray> QtPdfMaker::make(QWebEngineView& view, const QPageLayout& layout,
                                           const QPageRanges& ranges, const QString& label) {
    requireIdle();
    QPointer<QWebEngineView> alive(&view);
    QtPrintFeedback feedback(view.window(), label);
    QEventLoop loop;
    auto result = std::make_shared<PdfResult>();
    result->loop = &loop;
    result->engineBusy = busy_;
    feedback.onCancel([&loop] { loop.quit(); });
    QObject::connect(&view, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
    // A page process that ends takes the job with it: its result will never come.
    auto ending = std::make_shared<QMetaObject::Connection>();
    *ending = QObject::connect(view.page(), &QWebEnginePage::renderProcessTerminated, view.page(),
                               [result, ending] {
                                   QObject::disconnect(*ending);
                                   *result->engineBusy = false;
                                   result->processEnded = true;
                                   if (result->loop)
                                       result->loop->quit();
                               });
    *busy_ = true;
    view.page()->printToPdf(
        [result, ending](const QByteArray& pdf) {
            QObject::disconnect(*ending);
            *result->engineBusy = false;
            result->arrived = true;
            result->pdf = pdf;
            if (result->loop)
                result->loop->quit();
        },
        layout, ranges);
    loop.exec();

    if (feedback.cancelled())
        return std::nullopt;
    if (!alive)
        throw VelcaroError(error::kPrintFailed,
                           QStringLiteral("Stampa interrotta: la finestra è stata chiusa."));
    if (result->processEnded)
        throw VelcaroError(error::kPrintFailed,
                           QStringLiteral("La pagina si è interrotta durante la stampa: premere "
                                          "GO per caricarla di nuovo."));
    if (!result->arrived)
        throw VelcaroError(error::kPrintFailed,
                           QStringLiteral("La stampa della pagina non è terminata in tempo."));
    if (result->pdf.isEmpty())
        throw VelcaroError(error::kPrintFailed,
                           QStringLiteral("Stampa della pagina non riuscita."));
    return result->pdf;
}

} // namespace velcaro
