#include "app/qt_capture_platform.h"

#include "browser_window/form1_layout.h"
#include "qt/qt_capture_page.h"
#include "qt/twips.h"
#include "text_window/form3_layout.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QNetworkReply>

namespace velcaro {
namespace {

constexpr int kMaxRedirects = 5;
constexpr int kFetchTimeoutMs = 30000;
constexpr qint64 kMaxFetchBytes = 50 * 1024 * 1024;

} // namespace

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

void QtCapturePlatform::fetch(const QUrl& url, Fetched done) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(kFetchTimeoutMs);
    QNetworkReply* reply = network_.get(request);
    // A body past the reader's bound is not worth receiving.
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply](qint64 received, qint64) {
                         if (received > kMaxFetchBytes)
                             reply->abort();
                     });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status >= 400)
            done({}, status, QStringLiteral("errore HTTP %1").arg(status));
        else if (reply->error() != QNetworkReply::NoError)
            done({}, status, reply->errorString());
        else
            done(reply->readAll(), status, QString());
    });
}

void QtCapturePlatform::askRetryAfter(const QUrl& url, RetryAfterAnswered done) {
    QNetworkRequest request(url);
    request.setTransferTimeout(kFetchTimeoutMs);
    QNetworkReply* reply = network_.head(request);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
        reply->deleteLater();
        done(reply->rawHeader("Retry-After"));
    });
}

void QtCapturePlatform::finish(int exitCode) {
    // Queued, so that a run that ends before the event loop has started still ends it.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); },
        Qt::QueuedConnection);
}

} // namespace velcaro
