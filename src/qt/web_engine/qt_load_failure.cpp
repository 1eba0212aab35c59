#include "qt/web_engine/qt_load_failure.h"

#include <QWebEngineLoadingInfo>

namespace velcaro {

QString loadFailure(const QWebEngineLoadingInfo& info) {
    const QString detail =
        info.errorString().isEmpty() ? QString::number(info.errorCode()) : info.errorString();
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        return QStringLiteral("caricamento interrotto");
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        if (info.errorDomain() == QWebEngineLoadingInfo::HttpErrorDomain && info.errorCode() >= 400)
            return QStringLiteral("il server ha risposto con l'errore HTTP %1")
                .arg(info.errorCode());
        return {};
    default:
        break;
    }
    switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::DnsErrorDomain:
        return QStringLiteral("nome del sito sconosciuto (%1)").arg(detail);
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
        return QStringLiteral("sito irraggiungibile (%1)").arg(detail);
    case QWebEngineLoadingInfo::CertificateErrorDomain:
        return QStringLiteral("certificato del sito non valido (%1)").arg(detail);
    case QWebEngineLoadingInfo::HttpErrorDomain:
        if (info.errorCode() >= 400)
            return QStringLiteral("il server ha risposto con l'errore HTTP %1")
                .arg(info.errorCode());
        return QStringLiteral("caricamento non riuscito (%1)").arg(detail);
    default:
        return QStringLiteral("caricamento non riuscito (%1)").arg(detail);
    }
}

} // namespace velcaro
