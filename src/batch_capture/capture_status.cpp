#include "batch_capture/capture_status.h"

#include "platform/console.h"
#include "platform/std_console.h"

namespace velcaro {
namespace {

// "120 byte", "6.4 KB", "2150.3 KB": a small page is not "0.0 KB".
QString sizeText(qsizetype bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 byte").arg(bytes);
    return QStringLiteral("%1 KB").arg(static_cast<double>(bytes) / 1024.0, 0, 'f', 1);
}

// "1 pagina", "3 pagine".
QString pages(qsizetype count) {
    return count == 1 ? QStringLiteral("1 pagina") : QStringLiteral("%1 pagine").arg(count);
}

// The word for `count` things, singular or plural: "presa", "prese".
QString agreeing(qsizetype count, const char* singular, const char* plural) {
    return QString::fromUtf8(count == 1 ? singular : plural);
}

// "1 indirizzo", "3 indirizzi".
QString addresses(qint64 count) {
    return count == 1 ? QStringLiteral("1 indirizzo") : QStringLiteral("%1 indirizzi").arg(count);
}

QString seconds(qint64 ms) {
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1);
}

} // namespace

CaptureStatus::CaptureStatus(Console& console, int timeoutSeconds)
    : console_(console), timeoutSeconds_(timeoutSeconds) {}

QString CaptureStatus::prefix(int index) const {
    return QStringLiteral("[%1/%2]").arg(index + 1).arg(total_);
}

void CaptureStatus::captured(int index, const QString& address, qsizetype bytes,
                             const PageOutcome& outcome) {
    ++ended_;
    ++captured_;
    const QString notes = notesText(outcome, timeoutSeconds_);
    console_.report(QStringLiteral("%1 ok %2 s %3 %4%5")
                        .arg(prefix(index), seconds(outcome.ms), sizeText(bytes),
                             printableAddress(address),
                             notes.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(notes)));
}

void CaptureStatus::failed(int index, const QString& address, const PageOutcome& outcome) {
    ++ended_;
    const QString reason = failureText(outcome, timeoutSeconds_);
    const QString shown = outcome.tries > 1
                              ? QStringLiteral("%1 (%2 tentativi)").arg(reason).arg(outcome.tries)
                              : reason;
    const QString where = printableAddress(address);
    console_.report(QStringLiteral("%1 FAILED: %2 %3").arg(prefix(index), shown, where));
    failures_ << QStringLiteral("  %1: %2").arg(where, shown);
}

void CaptureStatus::duplicate(int index, const QString& address, const QString& original,
                              const PageOutcome& outcome) {
    ++ended_;
    ++captured_;
    console_.report(QStringLiteral("%1 ok %2 s duplicato di %3, senza file: %4")
                        .arg(prefix(index), seconds(outcome.ms), printableAddress(original),
                             printableAddress(address)));
}

void CaptureStatus::crawled(const CrawlFrontier::Counts& counts, const CrawlOptions& options) {
    QStringList left;
    if (counts.outOfScope > 0)
        left << QStringLiteral("%1 fuori ambito").arg(addresses(counts.outOfScope));
    if (counts.tooDeep > 0)
        left << QStringLiteral("%1 oltre la profondità %2")
                    .arg(addresses(counts.tooDeep))
                    .arg(options.depth);
    if (counts.notPages > 0)
        left << QStringLiteral("%1 di file che non sono pagine (nei record, non presi)")
                    .arg(addresses(counts.notPages));
    console_.report(
        QStringLiteral("velcaro: scansione: %1 in coda in tutto%2.")
            .arg(addresses(counts.queued), left.isEmpty() ? QString()
                                                          : QStringLiteral("; link non seguiti: ") +
                                                                left.join(QStringLiteral(", "))));
    if (counts.traps > 0)
        console_.report(
            QStringLiteral("velcaro: %1 %2 come trappole di link (indirizzi che ripetono un "
                           "segmento o crescono senza fine%3).")
                .arg(addresses(counts.traps), agreeing(counts.traps, "fermato", "fermati"),
                     counts.trapPatterns > 0
                         ? QStringLiteral("; %1 oltre %2 varianti della query")
                               .arg(counts.trapPatterns == 1
                                        ? QStringLiteral("1 schema")
                                        : QStringLiteral("%1 schemi").arg(counts.trapPatterns))
                               .arg(options.maxPerPattern)
                         : QString()));
    if (counts.leftOver > 0)
        console_.report(
            QStringLiteral("velcaro: %1 %2 in coda: raggiunto --max-pages %3.")
                .arg(addresses(counts.leftOver), agreeing(counts.leftOver, "lasciato", "lasciati"))
                .arg(options.maxPages));
    if (counts.duplicates > 0)
        console_.report(QStringLiteral("velcaro: %1 con il testo di una già presa (duplicati).")
                            .arg(pages(counts.duplicates)));
}

void CaptureStatus::skipped() {
    ++ended_;
    ++skipped_;
}

void CaptureStatus::retrying(int index, const QString& address, const PageOutcome& outcome,
                             int waitMs) {
    console_.report(QStringLiteral("%1 di nuovo tra %2 s (tentativo %3): %4 %5")
                        .arg(prefix(index), seconds(waitMs))
                        .arg(outcome.tries + 1)
                        .arg(failureText(outcome, timeoutSeconds_), printableAddress(address)));
}

void CaptureStatus::progress(int running) {
    console_.status(QStringLiteral("velcaro: %1/%2 pagine, %3 non riuscite, %4 in corso")
                        .arg(ended_)
                        .arg(total_)
                        .arg(failures_.size())
                        .arg(running));
}

void CaptureStatus::stopping(int running, int graceMs) {
    console_.report(QStringLiteral("velcaro: interruzione, nessuna nuova pagina; %1 in corso: al "
                                   "massimo %2 s per finire.")
                        .arg(pages(running))
                        .arg(graceMs / 1000));
}

void CaptureStatus::abandoned(int running) {
    console_.report(QStringLiteral("velcaro: %1 %2 a metà.")
                        .arg(pages(running), agreeing(running, "lasciata", "lasciate")));
}

void CaptureStatus::interrupted() {
    console_.report(QStringLiteral("velcaro: interrotta: %1 su %2 %3, %4 non %5.")
                        .arg(pages(ended_))
                        .arg(total_)
                        .arg(agreeing(ended_, "finita", "finite"))
                        .arg(failures_.size())
                        .arg(agreeing(failures_.size(), "riuscita", "riuscite")));
}

void CaptureStatus::summary(qint64 elapsedMs) {
    if (total_ <= 1 && failures_.isEmpty() && skipped_ == 0)
        return;
    console_.report(QStringLiteral("velcaro: %1 %2 su %3 in %4 s.")
                        .arg(agreeing(captured_, "presa", "prese"), pages(captured_))
                        .arg(total_)
                        .arg(seconds(elapsedMs)));
    if (skipped_ > 0)
        console_.report(QStringLiteral("velcaro: %1 %2 secondo il giornale, non %3 di nuovo.")
                            .arg(skipped_)
                            .arg(agreeing(skipped_, "già presa", "già prese"),
                                 agreeing(skipped_, "caricata", "caricate")));
    if (!failures_.isEmpty())
        console_.report(QStringLiteral("Non riuscite (%1):\n%2")
                            .arg(failures_.size())
                            .arg(failures_.join(u'\n')));
}

} // namespace velcaro
