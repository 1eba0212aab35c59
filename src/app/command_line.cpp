#include "app/command_line.h"

#include "app/app_record.h"
#include "app/capture_engines.h"
#include "app/crawl_arguments.h"
#include "app/qt_arguments.h"
#include "app/window_engine_version.h"
#include "batch_capture/sitemap_crawl.h"
#include "platform/typed_address.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QThread>
#include <QTranslator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

namespace velcaro {
namespace {

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Mostra questo aiuto ed esce.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Mostra la versione ed esce.")};
    QCommandLineOption capture{QStringLiteral("capture"),
                               QStringLiteral("Prende il testo delle pagine senza finestra.")};
    QCommandLineOption format{QStringLiteral("format"),
                              QStringLiteral("Con --capture: txt (testo UTF-8, come \"Salva "
                                             "Testo .TXT\"), rtf (testo formattato), md "
                                             "(Markdown di GitHub) o jsonl (un record JSON per "
                                             "riga, per ogni indirizzo, sull'uscita standard o "
                                             "nel file di --output)."),
                              QStringLiteral("txt|rtf|md|jsonl"), QStringLiteral("txt")};
    QCommandLineOption engine{
        QStringLiteral("engine"),
        QStringLiteral("Con --capture: il motore web delle pagine: chromium (il pacchetto "
                       "chromium di Debian, che riceve ogni correzione di sicurezza; "
                       "predefinito quando è installato) o qt (il motore della finestra)."),
        QStringLiteral("chromium|qt")};
    QCommandLineOption output{
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Con --capture: il file (un indirizzo) o la cartella (più indirizzi, "
                       "un file per pagina) dove scrivere; senza, il testo va sull'uscita "
                       "standard."),
        QStringLiteral("file|cartella")};
    QCommandLineOption force{QStringLiteral("force"),
                             QStringLiteral("Con --capture: sostituisce i file che esistono già.")};
    QCommandLineOption mainText{
        QStringLiteral("main"),
        QStringLiteral("Con --capture: solo il testo principale di ogni pagina (l'articolo "
                       "senza menu, colonne laterali, commenti e piè di pagina), come \"Copia "
                       "testo principale\"; la pagina intera quando non ne ha uno.")};
    QCommandLineOption settle{
        QStringLiteral("settle"),
        QStringLiteral("Con --capture: attesa dopo il caricamento, per le pagine che si "
                       "modificano da sé (predefinita: %1 ms).")
            .arg(CaptureOptions::kDefaultSettleMs),
        QStringLiteral("ms")};
    QCommandLineOption timeout{
        QStringLiteral("timeout"),
        QStringLiteral("Con --capture: tempo massimo di caricamento di una pagina, e di ogni "
                       "robots.txt e sitemap scaricati (predefinito: %1 s).")
            .arg(CaptureOptions::kDefaultTimeoutSeconds),
        QStringLiteral("s")};
    QCommandLineOption journal{
        QStringLiteral("journal"),
        QStringLiteral("Con --capture: il giornale della cattura, una riga per indirizzo finito; "
                       "ripetendo il comando con lo stesso giornale, gli indirizzi già presi "
                       "sono saltati e quelli non riusciti riprovati."),
        QStringLiteral("file")};
    QCommandLineOption retries{
        QStringLiteral("retries"),
        QStringLiteral("Con --capture: nuovi tentativi per una pagina che fallisce per una causa "
                       "passeggera (tempo scaduto, connessione rifiutata o interrotta, HTTP 429, "
                       "502, 503, 504, nessun testo copiato da una pagina che ne mostra), con "
                       "attese crescenti da circa 1 s a 60 s, o quella chiesta "
                       "dal server con Retry-After fino a 10 minuti (predefiniti: %1).")
            .arg(CaptureOptions::kDefaultRetries),
        QStringLiteral("n")};
    QCommandLineOption perHost{
        QStringLiteral("per-host"),
        QStringLiteral("Con --capture: pagine dello stesso sito caricate insieme al massimo "
                       "(predefinite: %1).")
            .arg(CaptureOptions::kDefaultPerHost),
        QStringLiteral("n")};
    QCommandLineOption delay{
        QStringLiteral("delay"),
        QStringLiteral("Con --capture: attesa minima tra l'avvio di due pagine dello stesso sito "
                       "(predefinita: 0 ms)."),
        QStringLiteral("ms")};
    QCommandLineOption robots{
        QStringLiteral("robots"),
        QStringLiteral("Con --capture: rispetta il robots.txt di ogni sito per lo user agent del "
                       "motore web; le pagine vietate non si caricano e lo dicono.")};
    QCommandLineOption sitemap{
        QStringLiteral("sitemap"),
        QStringLiteral("Con --capture: gli indirizzi sono sitemap (XML, anche compresse con gzip, "
                       "o indici di sitemap) e valgono per le pagine che elencano (al massimo "
                       "%1 sitemap e %2 pagine).")
            .arg(SitemapCrawl::kMaxSitemaps)
            .arg(SitemapCrawl::kMaxPages)};
    QCommandLineOption firstIndex{
        QStringLiteral("first-index"),
        QStringLiteral("Con --capture --format jsonl: la posizione del primo indirizzo "
                       "nell'elenco intero, per un blocco di un elenco diviso fra più catture "
                       "(GNU parallel); l'\"index\" dei record conta da lì (predefinita: 0)."),
        QStringLiteral("n")};
    QCommandLineOption verbose{
        QStringLiteral("verbose"),
        QStringLiteral("Con --capture: mostra anche i messaggi della console delle pagine.")};
    QCommandLineOption jobs{{QStringLiteral("j"), QStringLiteral("jobs")},
                            QStringLiteral("Con --capture: pagine caricate insieme (predefinite: "
                                           "%1, al massimo %2).")
                                .arg(defaultCaptureJobs())
                                .arg(CaptureOptions::kMaxJobs),
                            QStringLiteral("n")};
    CrawlArguments crawl;
};

void describe(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(QStringLiteral(
        "Mostra una pagina web e ne prende il testo.\n\n"
        "velcaro --capture [opzioni] indirizzo...\n"
        "  prende il testo delle pagine senza aprire finestre e senza toccare gli appunti:\n"
        "  lo stesso testo di \"Copia testo Pag.Html\" e \"Salva Testo .TXT\". Un indirizzo \"-\"\n"
        "  legge l'elenco degli indirizzi dall'ingresso standard, uno per riga."));
    parser.addOptions({options.help, options.version, options.capture, options.format,
                       options.engine, options.output, options.force, options.mainText,
                       options.settle, options.timeout, options.jobs, options.journal,
                       options.retries, options.perHost, options.delay, options.verbose,
                       options.sitemap, options.robots, options.firstIndex});
    parser.addOptions(options.crawl.options());
    parser.addPositionalArgument(
        QStringLiteral("indirizzo"),
        QStringLiteral("Indirizzo web o file locale da aprire all'avvio (facoltativo); con "
                       "--capture, uno o più indirizzi da prendere."),
        QStringLiteral("[indirizzo...]"));
}

// The address box shows an existing local file by its absolute path, since the working
// folder of the window is not the one the command was typed in; GO reads anything else as
// given.
QString addressForTheBox(const QString& argument, const QString& workingFolder) {
    const TypedAddress address = readAddress(argument, workingFolder, pathExists);
    return !address.path.isEmpty() && pathExists(address.path) ? address.path : argument;
}

// The whole number given to `option`, within [low, high]; otherwise `problem` says why.
int number(const QCommandLineParser& parser, const QCommandLineOption& option, int fallback,
           int low, int high, QString* problem) {
    if (!parser.isSet(option))
        return fallback;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < low || value > high)
        *problem = QStringLiteral("Valore non valido per --%1: \"%2\" (da %3 a %4).")
                       .arg(option.names().constLast(), parser.value(option))
                       .arg(low)
                       .arg(high);
    return value;
}

// The capture's options; `problem` says what is wrong with them.
CaptureOptions captureOptions(const QCommandLineParser& parser, const Options& options,
                              const QString& workingFolder, QString* problem) {
    CaptureOptions capture;
    capture.workingFolder = workingFolder;
    capture.addresses = parser.positionalArguments();
    const QString format = parser.value(options.format);
    if (format == QLatin1String("rtf"))
        capture.format = CaptureOptions::Format::Rtf;
    else if (format == QLatin1String("md"))
        capture.format = CaptureOptions::Format::Markdown;
    else if (format == QLatin1String("jsonl"))
        capture.format = CaptureOptions::Format::Jsonl;
    else if (format != QLatin1String("txt"))
        *problem =
            QStringLiteral("Formato sconosciuto: \"%1\" (txt, rtf, md o jsonl).").arg(format);
    const QString engine = parser.value(options.engine);
    if (engine == QLatin1String("chromium"))
        capture.engine = CaptureOptions::Engine::Chromium;
    else if (engine == QLatin1String("qt"))
        capture.engine = CaptureOptions::Engine::Qt;
    else if (!engine.isEmpty())
        *problem = QStringLiteral("Motore sconosciuto: \"%1\" (chromium o qt).").arg(engine);
    capture.output = parser.value(options.output);
    capture.force = parser.isSet(options.force);
    capture.journal = parser.value(options.journal);
    capture.verbose = parser.isSet(options.verbose);
    capture.sitemap = parser.isSet(options.sitemap);
    capture.robots = parser.isSet(options.robots);
    capture.mainText = parser.isSet(options.mainText);
    capture.settleMs =
        number(parser, options.settle, CaptureOptions::kDefaultSettleMs, 0, 600000, problem);
    capture.timeoutSeconds =
        number(parser, options.timeout, CaptureOptions::kDefaultTimeoutSeconds, 1, 86400, problem);
    capture.jobs =
        number(parser, options.jobs, defaultCaptureJobs(), 1, CaptureOptions::kMaxJobs, problem);
    capture.perHost = number(parser, options.perHost, CaptureOptions::kDefaultPerHost, 1,
                             CaptureOptions::kMaxJobs, problem);
    capture.delayMs = number(parser, options.delay, 0, 0, 3600000, problem);
    capture.retries =
        number(parser, options.retries, CaptureOptions::kDefaultRetries, 0, 10, problem);
    capture.firstIndex =
        number(parser, options.firstIndex, 0, 0, std::numeric_limits<int>::max(), problem);
    capture.crawl = options.crawl.read(parser, problem);
    if (capture.crawl.enabled && capture.sitemap)
        *problem = QStringLiteral("--crawl e --sitemap non vanno insieme: per le sitemap di un "
                                  "sito usare --follow-sitemaps.");
    if (capture.addresses.isEmpty())
        *problem = QStringLiteral("Indicare almeno un indirizzo da prendere.");
    else if (capture.addresses.count(QStringLiteral("-")) > 1)
        *problem = QStringLiteral("L'elenco \"-\" si può leggere una volta sola.");
    return capture;
}

bool anyCaptureOption(const QCommandLineParser& parser, const Options& options) {
    for (const QCommandLineOption* option :
         {&options.format, &options.engine, &options.output, &options.force, &options.mainText,
          &options.settle, &options.timeout, &options.jobs, &options.journal, &options.retries,
          &options.perHost, &options.delay, &options.verbose, &options.sitemap, &options.robots,
          &options.firstIndex})
        if (parser.isSet(*option))
            return true;
    return options.crawl.anySet(parser);
}

// Whether all of `text` was written.
bool print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()),
                                     stream) == static_cast<size_t>(bytes.size());
    return std::fflush(stream) == 0 && written;
}

// Help and version are the answer: when they cannot be written, the command failed.
int answer(const QString& text) {
    if (print(stdout, text))
        return 0;
    print(stderr, QStringLiteral("velcaro: impossibile scrivere sull'uscita standard: %1\n")
                      .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return 1;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder) {
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    CommandLine result;
    result.arguments = arguments;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Unusable;
        result.problem = parser.errorText();
    } else if (parser.isSet(options.help)) {
        result.action = CommandLine::Action::Help;
    } else if (parser.isSet(options.version)) {
        result.action = CommandLine::Action::Version;
    } else if (parser.isSet(options.capture)) {
        result.action = CommandLine::Action::Capture;
        result.capture = captureOptions(parser, options, workingFolder, &result.problem);
        if (!result.problem.isEmpty())
            result.action = CommandLine::Action::Unusable;
    } else if (anyCaptureOption(parser, options)) {
        result.action = CommandLine::Action::Unusable;
        result.problem = QStringLiteral("Le opzioni di cattura valgono solo con --capture.");
    } else if (parser.positionalArguments().size() > 1) {
        result.action = CommandLine::Action::Unusable;
        result.problem = QStringLiteral("Si può dare un solo indirizzo.");
    } else if (!parser.positionalArguments().isEmpty()) {
        result.address = addressForTheBox(parser.positionalArguments().constFirst(), workingFolder);
    }
    return result;
}

QStringList readAddressList(const QByteArray& list) {
    QStringList addresses;
    for (const QByteArray& line : list.split('\n')) {
        const QString address = QString::fromUtf8(line).trimmed();
        if (!address.isEmpty() && !address.startsWith(u'#'))
            addresses << address;
    }
    return addresses;
}

int defaultCaptureJobs() {
    return qBound(2, QThread::idealThreadCount() * 2, 8);
}

int answerCommandLine(const CommandLine& commandLine, char* program) {
    // An application object without a display: the help names the program as it was started
    // and its headings follow the system language.
    QtArguments qtArguments(program);
    QCoreApplication core(qtArguments.argc(), qtArguments.argv());
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        return answer(parser.helpText());
    case CommandLine::Action::Version:
        return answer(AppRecord::windowTitle() + u' ' + AppRecord::version() + u'\n' +
                      windowEngineVersion() + captureEnginesVersion());
    default:
        // The parser's own complaint, read again now that it speaks Italian.
        const QString problem =
            parser.parse(commandLine.arguments) ? commandLine.problem : parser.errorText();
        print(stderr, problem + u'\n' + parser.helpText());
        return 2;
    }
}

} // namespace velcaro
