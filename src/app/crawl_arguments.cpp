#include "app/crawl_arguments.h"

#include <QCommandLineParser>
#include <limits>

namespace velcaro {
namespace {

// The whole number given to `option`, within [low, high]; otherwise `problem` says why.
qint64 number(const QCommandLineParser& parser, const QCommandLineOption& option, qint64 fallback,
              qint64 low, qint64 high, QString* problem) {
    if (!parser.isSet(option))
        return fallback;
    bool ok = false;
    const qint64 value = parser.value(option).toLongLong(&ok);
    if (!ok || value < low || value > high)
        *problem = QStringLiteral("Valore non valido per --%1: \"%2\" (da %3 a %4).")
                       .arg(option.names().constLast(), parser.value(option))
                       .arg(low)
                       .arg(high);
    return value;
}

} // namespace

CrawlArguments::CrawlArguments()
    : crawl_(QStringLiteral("crawl"),
             QStringLiteral("Con --capture: scandisce il sito da ogni indirizzo, seguendo i "
                            "link delle pagine prese (a[href] e link rel=next), in ampiezza, "
                            "ogni pagina una volta sola.")),
      scope_(QStringLiteral("scope"),
             QStringLiteral("Con --crawl: le pagine da prendere: page (solo gli indirizzi dati), "
                            "prefix (la cartella dell'indirizzo sul suo sito; per un file "
                            "locale, la sua cartella), host (il sito) o domain (il dominio e i "
                            "suoi sottodomini) (predefinito: prefix)."),
             QStringLiteral("page|prefix|host|domain"), QStringLiteral("prefix")),
      include_(QStringLiteral("include"),
               QStringLiteral("Con --crawl: segue solo gli indirizzi (normalizzati) in cui "
                              "l'espressione regolare trova qualcosa; ripetibile."),
               QStringLiteral("regex")),
      exclude_(QStringLiteral("exclude"),
               QStringLiteral("Con --crawl: non segue gli indirizzi (normalizzati) in cui "
                              "l'espressione regolare trova qualcosa; ripetibile."),
               QStringLiteral("regex")),
      depth_(QStringLiteral("depth"),
             QStringLiteral("Con --crawl: quanti link al massimo dagli indirizzi dati "
                            "(predefinito: %1).")
                 .arg(CrawlOptions::kDefaultDepth),
             QStringLiteral("n")),
      maxPages_(QStringLiteral("max-pages"),
                QStringLiteral("Con --crawl: pagine prese al massimo (predefinito: nessun "
                               "limite)."),
                QStringLiteral("n")),
      maxPerPattern_(QStringLiteral("max-per-pattern"),
                     QStringLiteral("Con --crawl: indirizzi al massimo di uno schema, cioè con la "
                                    "stessa pagina e una query diversa solo nelle cifre "
                                    "(calendari, elenchi senza fine) (predefinito: %1).")
                         .arg(CrawlOptions::kDefaultMaxPerPattern),
                     QStringLiteral("n")),
      followSitemaps_(QStringLiteral("follow-sitemaps"),
                      QStringLiteral("Con --crawl: aggiunge le pagine delle sitemap di ogni "
                                     "sito (le righe Sitemap del robots.txt, altrimenti "
                                     "/sitemap.xml) a quelle da cui partire.")),
      ignoreQuery_(QStringLiteral("ignore-query"),
                   QStringLiteral("Con --crawl: ignora la query degli indirizzi (la parte dopo "
                                  "\"?\"): indirizzi che differiscono solo in quella sono la "
                                  "stessa pagina.")) {}

QList<QCommandLineOption> CrawlArguments::options() const {
    return {crawl_,    scope_,         include_,        exclude_,    depth_,
            maxPages_, maxPerPattern_, followSitemaps_, ignoreQuery_};
}

bool CrawlArguments::anySet(const QCommandLineParser& parser) const {
    for (const QCommandLineOption& option : options())
        if (parser.isSet(option))
            return true;
    return false;
}

CrawlOptions CrawlArguments::read(const QCommandLineParser& parser, QString* problem) const {
    CrawlOptions crawl;
    crawl.enabled = parser.isSet(crawl_);
    const QString scope = parser.value(scope_);
    if (scope == QLatin1String("page"))
        crawl.scope = CrawlOptions::Scope::Page;
    else if (scope == QLatin1String("host"))
        crawl.scope = CrawlOptions::Scope::Host;
    else if (scope == QLatin1String("domain"))
        crawl.scope = CrawlOptions::Scope::Domain;
    else if (scope != QLatin1String("prefix"))
        *problem =
            QStringLiteral("Ambito sconosciuto: \"%1\" (page, prefix, host o domain).").arg(scope);
    crawl.include = parser.values(include_);
    crawl.exclude = parser.values(exclude_);
    crawl.depth =
        static_cast<int>(number(parser, depth_, CrawlOptions::kDefaultDepth, 0, 1000, problem));
    crawl.maxPages =
        number(parser, maxPages_, 0, 1, std::numeric_limits<qint64>::max() / 2, problem);
    crawl.maxPerPattern =
        static_cast<int>(number(parser, maxPerPattern_, CrawlOptions::kDefaultMaxPerPattern, 1,
                                std::numeric_limits<int>::max(), problem));
    crawl.followSitemaps = parser.isSet(followSitemaps_);
    crawl.ignoreQuery = parser.isSet(ignoreQuery_);
    for (const QCommandLineOption& option : options())
        if (!crawl.enabled && parser.isSet(option))
            *problem =
                QStringLiteral("--%1 vale solo con --crawl.").arg(option.names().constLast());
    return crawl;
}

} // namespace velcaro
