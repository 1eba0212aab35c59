// The crawl's part of the runner: a page's links read after its copy, a wall told from a
// page, and PDF documents taken outside the engine.
#include "batch_capture/capture_plan.h"
#include "batch_capture/capture_runner.h"
#include "batch_capture/capture_runner_page.h"
#include "platform/capture_platform.h"

#include <QFile>

namespace velcaro {

void CaptureRunner::readLinks(int index, const PageCopy& copy, const PageOutcome& outcome) {
    running_.at(index)->session->links([this, index, copy, outcome](const PageLinks& links) {
        const auto found = running_.find(index);
        if (found == running_.end())
            return;
        const PageWall wall = pageWall(outcome.httpStatus, copy.title, copy.text, links);
        if (wall == PageWall::None && outcome.error == PageError::None) {
            taken(index, copy, links, outcome);
            return;
        }
        if (wall == PageWall::None) {
            fail(*found->second, outcome);
            return;
        }
        PageOutcome walled = outcome;
        walled.error = PageError::Walled;
        walled.wall = wall;
        fail(*found->second, walled, copy);
    });
}

// A local document is read from its file, a web one fetched as a sitemap is; both within
// kMaxPdfBytes.
void CaptureRunner::fetchPdf(int index) {
    const QUrl& url = plan_.target(index).url;
    if (url.isLocalFile()) {
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) {
            QTimer::singleShot(0, &pumpTimer_, [this, index, problem = file.errorString()] {
                pdfFetched(index, {}, 0, problem);
            });
            return;
        }
        const QByteArray body = file.read(kMaxPdfBytes + 1);
        QTimer::singleShot(0, &pumpTimer_,
                           [this, index, body] { pdfFetched(index, body, 0, QString()); });
        return;
    }
    platform_.fetch({url, engine_.userAgent(), options_.timeoutSeconds * 1000, kMaxPdfBytes + 1},
                    [this, index](const QByteArray& body, int status, const QString& failure) {
                        pdfFetched(index, body, status, failure);
                    });
}

void CaptureRunner::pdfFetched(int index, const QByteArray& body, int httpStatus,
                               const QString& failure) {
    const auto found = running_.find(index);
    if (found == running_.end())
        return;
    Page& page = *found->second;
    PageOutcome outcome = outcomeOf(page);
    outcome.httpStatus = httpStatus;
    page.load.httpStatus = httpStatus;
    PageCopy copy;
    copy.url = plan_.target(index).url;
    if (httpStatus >= 400) {
        outcome.error = PageError::HttpStatus;
    } else if (!failure.isEmpty()) {
        outcome.error = PageError::Other;
        outcome.detail = failure;
    } else if (body.size() > kMaxPdfBytes) {
        outcome.error = PageError::Other;
        outcome.refusal = QStringLiteral("documento PDF più grande di %1 MB, non preso")
                              .arg(kMaxPdfBytes / (1024 * 1024));
    } else if (!platform_.readPdf(body, &copy.text, &copy.title)) {
        outcome.error = PageError::Other;
        outcome.refusal = QStringLiteral("il documento non è un PDF leggibile");
    } else if (copy.text.trimmed().isEmpty()) {
        outcome.error = PageError::NoText;
    }
    if (outcome.error != PageError::None) {
        fail(page, outcome);
        return;
    }
    taken(index, copy, {}, outcome);
}

} // namespace velcaro
