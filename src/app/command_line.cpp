#include "app/command_line.h"

#include "app/app_record.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

namespace velcaro {
namespace {

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Mostra questo aiuto ed esce.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Mostra la versione ed esce.")};
};

void describe(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(QStringLiteral("Mostra una pagina web e ne prende il testo."));
    parser.addOption(options.help);
    parser.addOption(options.version);
    parser.addPositionalArgument(
        QStringLiteral("indirizzo"),
        QStringLiteral("Indirizzo web o file locale da aprire all'avvio (facoltativo)."),
        QStringLiteral("[indirizzo]"));
}

QString resolveAddress(const QString& argument, const QString& workingFolder) {
    const QFileInfo local(QDir(workingFolder), argument);
    if (!argument.isEmpty() && local.exists())
        return QDir::cleanPath(local.absoluteFilePath());
    return argument;
}

void print(FILE* stream, const QString& text) {
    std::fputs(qUtf8Printable(text), stream);
    std::fflush(stream);
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder) {
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    CommandLine result;
    if (!parser.parse(arguments)) {
        result.action = CommandLine::Action::Unusable;
        result.problem = parser.errorText();
    } else if (parser.isSet(options.help)) {
        result.action = CommandLine::Action::Help;
    } else if (parser.isSet(options.version)) {
        result.action = CommandLine::Action::Version;
    } else if (parser.positionalArguments().size() > 1) {
        result.action = CommandLine::Action::Unusable;
        result.problem = QStringLiteral("Si può dare un solo indirizzo.");
    } else if (!parser.positionalArguments().isEmpty()) {
        result.address = resolveAddress(parser.positionalArguments().constFirst(), workingFolder);
    }
    return result;
}

int answerCommandLine(const CommandLine& commandLine, int argc, char** argv) {
    // An application object without a display: the help names the program as it was started
    // and its headings follow the system language.
    QCoreApplication core(argc, argv);
    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    switch (commandLine.action) {
    case CommandLine::Action::Help:
        print(stdout, parser.helpText());
        return 0;
    case CommandLine::Action::Version:
        print(stdout, AppRecord::windowTitle() + u' ' + AppRecord::version() + u'\n');
        return 0;
    default:
        print(stderr, commandLine.problem + u'\n' + parser.helpText());
        return 2;
    }
}

} // namespace velcaro
