#include "batch_capture/page_outcome.h"

#include <QStringList>

namespace velcaro {
namespace {

// `text`, with the engine's own words after it when it gave any.
QString withDetail(const QString& text, const QString& detail) {
    return detail.isEmpty() ? text : QStringLiteral("%1 (%2)").arg(text, detail);
}

QString lateLoad(int timeoutSeconds) {
    return QStringLiteral("la pagina non ha finito di caricarsi entro %1 s").arg(timeoutSeconds);
}

QString wallText(PageWall wall) {
    switch (wall) {
    case PageWall::Challenge:
        return QStringLiteral("al posto della pagina c'è una verifica anti-bot; testo non preso");
    case PageWall::Login:
        return QStringLiteral("al posto della pagina c'è la richiesta di accedere con un "
                              "account; testo non preso");
    case PageWall::Consent:
        return QStringLiteral("al posto della pagina c'è la richiesta di consenso ai cookie; "
                              "testo non preso");
    case PageWall::NeedsScript:
        return QStringLiteral("la pagina chiede solo di attivare JavaScript; testo non preso");
    case PageWall::NeedsCookies:
        return QStringLiteral("la pagina chiede solo di attivare i cookie; testo non preso");
    case PageWall::None:
        break;
    }
    return {};
}

} // namespace

const QString kNoTextCopied = QStringLiteral("Non trovo nessun testo copiato !!!");

QString failureText(const PageOutcome& outcome, int timeoutSeconds) {
    if (!outcome.refusal.isEmpty())
        return outcome.refusal;
    const QString& detail = outcome.detail;
    switch (outcome.error) {
    case PageError::None:
        return {};
    case PageError::TimedOut:
        return lateLoad(timeoutSeconds);
    case PageError::NameNotResolved:
        return withDetail(QStringLiteral("nome del sito sconosciuto"), detail);
    case PageError::Refused:
        return withDetail(QStringLiteral("sito irraggiungibile"), detail);
    case PageError::Reset:
        return withDetail(QStringLiteral("connessione interrotta dal sito"), detail);
    case PageError::HttpStatus:
        return QStringLiteral("il server ha risposto con l'errore HTTP %1").arg(outcome.httpStatus);
    case PageError::NotAPage:
        return withDetail(QStringLiteral("non è una pagina da mostrare"), detail);
    case PageError::ProcessEnded:
        return withDetail(QStringLiteral("il processo della pagina si è interrotto"), detail);
    case PageError::OutOfMemory:
        return QStringLiteral("la pagina ha esaurito la memoria del suo processo");
    case PageError::Blocked:
        return withDetail(QStringLiteral("pagina locale fermata: voleva aprire un file fuori "
                                         "dalla sua cartella"),
                          detail);
    case PageError::RobotsRefused:
        return detail;
    case PageError::NoText:
        return kNoTextCopied;
    case PageError::Walled:
        return wallText(outcome.wall);
    case PageError::CopyTimedOut:
        return QStringLiteral("la copia della pagina non è finita in tempo (pagina troppo grande "
                              "o sempre occupata)");
    case PageError::Other:
        break;
    }
    return withDetail(QStringLiteral("caricamento non riuscito"), detail);
}

QString notesText(const PageOutcome& outcome, int timeoutSeconds) {
    QStringList notes;
    if (outcome.late)
        notes << lateLoad(timeoutSeconds);
    if (outcome.wholePageForMain)
        notes << QStringLiteral("nessun testo principale: pagina intera");
    if (outcome.tries > 1)
        notes << QStringLiteral("%1 tentativi").arg(outcome.tries);
    return notes.join(u"; ");
}

} // namespace velcaro
