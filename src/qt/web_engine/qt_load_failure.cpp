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

QString processEndedFailure(QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
    switch (status) {
    case QWebEnginePage::KilledTerminationStatus:
        return QStringLiteral("il processo della pagina è stato ucciso (per esempio dal sistema, "
                              "per memoria esaurita)");
    case QWebEnginePage::CrashedTerminationStatus:
        return QStringLiteral("il processo della pagina si è interrotto per un errore (codice %1)")
            .arg(exitCode);
    default:
        return QStringLiteral("il processo della pagina è terminato in modo anomalo (codice %1)")
            .arg(exitCode);
    }
}

} // namespace velcaro
