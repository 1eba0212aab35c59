#include "qt/web_engine/qt_load_failure.h"

#include <QRegularExpression>
#include <QWebEngineLoadingInfo>

namespace velcaro {

QString loadFailure(const QWebEngineLoadingInfo& info) {
    const int code = info.errorCode();
    const bool httpStatus = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain ||
                            info.errorDomain() == QWebEngineLoadingInfo::HttpErrorDomain;
    if (httpStatus && code >= 400)
        return QStringLiteral("il server ha risposto con l'errore HTTP %1").arg(code);
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
        return {};
    if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus)
        return QStringLiteral("caricamento interrotto");
    // The engine's description may carry the markup of its own error page.
    static const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    QString detail = info.errorString().remove(markup).simplified();
    if (detail.isEmpty())
        detail = QStringLiteral("codice %1").arg(code);
    switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::DnsErrorDomain:
        return QStringLiteral("nome del sito sconosciuto (%1)").arg(detail);
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
        return QStringLiteral("sito irraggiungibile (%1)").arg(detail);
    case QWebEngineLoadingInfo::CertificateErrorDomain:
        return QStringLiteral("certificato del sito non valido (%1)").arg(detail);
    default:
        return QStringLiteral("caricamento non riuscito (%1)").arg(detail);
    }
}

} // namespace velcaro
