#include "app/qt_fetcher.h"

#include <QNetworkReply>
#include <QTimer>

namespace velcaro {
namespace {

// Qt's network error, in a few Italian words; an HTTP error status is told by its number
// before this is asked.
QString networkFailure(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("connessione rifiutata");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("connessione chiusa dal server");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("nome del server non trovato");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("il server non risponde");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("connessione sicura (TLS) non riuscita");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
        return QStringLiteral("rete non disponibile");
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return QStringLiteral("proxy non raggiungibile");
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return QStringLiteral("il proxy chiede di autenticarsi");
    case QNetworkReply::ContentNotFoundError:
        return QStringLiteral("file inesistente");
    case QNetworkReply::ContentAccessDenied:
        return QStringLiteral("lettura non permessa");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("protocollo non supportato");
    case QNetworkReply::ProtocolFailure:
        return QStringLiteral("risposta del server non valida");
    default:
        return QStringLiteral("errore di rete");
    }
}

// One fetch, from its first request to its end, redirects included; it deletes itself once
// it has answered.
class Transfer : public QObject {
public:
    Transfer(QNetworkAccessManager& network, const FetchRequest& request,
             CapturePlatform::Fetched done)
        : QObject(&network), network_(network), request_(request), done_(std::move(done)) {
        deadline_.setSingleShot(true);
        connect(&deadline_, &QTimer::timeout, this, [this] {
            end({}, 0,
                QStringLiteral("il file non è arrivato intero entro %1 s")
                    .arg(request_.timeoutMs / 1000));
        });
        deadline_.start(request_.timeoutMs);
        get(request_.url);
    }

private:
    void get(const QUrl& url) {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        if (!request_.userAgent.isEmpty())
            request.setHeader(QNetworkRequest::UserAgentHeader, request_.userAgent);
        answered_ = false;
        body_.clear();
        reply_ = network_.get(request);
        connect(reply_, &QNetworkReply::metaDataChanged, this, [this] { answered(); });
        connect(reply_, &QNetworkReply::readyRead, this, [this] {
            if (answered())
                take();
        });
        connect(reply_, &QNetworkReply::finished, this, [this] { finished(); });
    }

    // Acts on the HTTP status once it has come: a redirect is followed or refused, an error
    // status ends the fetch. False when the body of this reply is not to be read.
    bool answered() {
        if (answered_)
            return true;
        const QVariant attribute = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        // Not HTTP (a local file), or its status has not come yet.
        if (!attribute.isValid())
            return true;
        answered_ = true;
        const int status = attribute.toInt();
        if (status >= 300 && status < 400) {
            redirect(status);
            return false;
        }
        if (status >= 400) {
            end({}, status, QStringLiteral("errore HTTP %1").arg(status));
            return false;
        }
        return true;
    }

    void redirect(int status) {
        const QByteArray location = reply_->rawHeader("Location");
        const QUrl from = reply_->url();
        const QUrl to = from.resolved(QUrl::fromEncoded(location));
        if (location.isEmpty() || !to.isValid())
            end({}, status, QStringLiteral("rinvio senza un indirizzo valido"));
        else if (++redirects_ > QtFetcher::kMaxRedirects)
            end({}, status, QStringLiteral("più di %1 rinvii").arg(QtFetcher::kMaxRedirects));
        else if (to.scheme() != u"http" && to.scheme() != u"https")
            end({}, status,
                QStringLiteral("rinvio a un indirizzo %1:, non seguito").arg(to.scheme()));
        else if (from.scheme() == u"https" && to.scheme() == u"http")
            end({}, status, QStringLiteral("rinvio da https a http, non seguito"));
        else {
            drop();
            get(to);
        }
    }

    // Keeps what came of the body, up to the bound: the fetch ends there.
    void take() {
        body_ += reply_->read(request_.maxBytes - body_.size());
        if (body_.size() >= request_.maxBytes)
            end(body_, status(), QString());
    }

    void finished() {
        if (!answered())
            return;
        if (reply_->error() != QNetworkReply::NoError) {
            end({}, status(), networkFailure(reply_->error()));
            return;
        }
        take();
        if (!ended_)
            end(body_, status(), QString());
    }

    int status() const {
        return reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }

    // Leaves the reply: nothing more of it is received.
    void drop() {
        if (!reply_)
            return;
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }

    void end(const QByteArray& body, int status, const QString& failure) {
        ended_ = true;
        deadline_.stop();
        drop();
        done_(body, status, failure);
        deleteLater();
    }

    QNetworkAccessManager& network_;
    const FetchRequest request_;
    CapturePlatform::Fetched done_;
    QNetworkReply* reply_ = nullptr;
    QTimer deadline_;
    QByteArray body_;
    int redirects_ = 0;
    // The current reply's HTTP status has been acted on.
    bool answered_ = false;
    bool ended_ = false;
};

} // namespace

void QtFetcher::fetch(const FetchRequest& request, CapturePlatform::Fetched done) {
    new Transfer(network_, request, std::move(done));
}

void QtFetcher::askRetryAfter(const QUrl& url, CapturePlatform::RetryAfterAnswered done) {
    QNetworkReply* reply = network_.head(QNetworkRequest(url));
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline->start(kRetryAfterTimeoutMs);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
        reply->deleteLater();
        done(reply->rawHeader("Retry-After"));
    });
}

} // namespace velcaro
