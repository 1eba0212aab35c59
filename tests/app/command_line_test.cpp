// The command line: the parser's reading of the arguments, and the program answering help,
// version and a wrong option without a display.

#include "app/command_line.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velcaro;
using Action = CommandLine::Action;

namespace {

CommandLine parse(const QStringList& arguments, const QString& folder = QDir::tempPath()) {
    return parseCommandLine(QStringList{QStringLiteral("velcaro")} + arguments, folder);
}

TEST(CommandLineParser, HelpAndVersionInShortAndLongForm) {
    EXPECT_EQ(parse({QStringLiteral("-h")}).action, Action::Help);
    EXPECT_EQ(parse({QStringLiteral("--help")}).action, Action::Help);
    EXPECT_EQ(parse({QStringLiteral("-v")}).action, Action::Version);
    EXPECT_EQ(parse({QStringLiteral("--version")}).action, Action::Version);
    // Help wins over an address given with it.
    EXPECT_EQ(parse({QStringLiteral("page.html"), QStringLiteral("--help")}).action, Action::Help);
}

TEST(CommandLineParser, WithoutArgumentsStartsAsUsual) {
    const CommandLine line = parse({});
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_TRUE(line.address.isEmpty());
}

TEST(CommandLineParser, AnExistingRelativePathIsMadeAbsoluteAgainstTheWorkingFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("sub folder")));
    QFile page(dir.filePath(QStringLiteral("sub folder/pàgina.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    const CommandLine line =
        parse({QStringLiteral("sub folder/../sub folder/pàgina.html")}, dir.path());
    EXPECT_EQ(line.action, Action::Run);
    EXPECT_EQ(line.address, dir.filePath(QStringLiteral("sub folder/pàgina.html")));
}

TEST(CommandLineParser, WebAddressesAndMissingFilesStayAsGiven) {
    // GO reads them: a missing file then shows the engine's error page.
    for (const QString& address :
         {QStringLiteral("https://example.org/a?b=c"), QStringLiteral("file:///tmp/x%20y.html"),
          QStringLiteral("www.example.org"), QStringLiteral("no-such-file.html")})
        EXPECT_EQ(parse({address}).address, address);
    const QString longAddress = QStringLiteral("http://example.org/") + QString(100000, u'a');
    EXPECT_EQ(parse({longAddress}).address, longAddress);
}

TEST(CommandLineParser, UnknownOptionsAndASecondAddressAreRefused) {
    const CommandLine unknown = parse({QStringLiteral("--capture-all")});
    EXPECT_EQ(unknown.action, Action::Unusable);
    EXPECT_TRUE(unknown.problem.contains(QStringLiteral("capture-all")))
        << qPrintable(unknown.problem);
    const CommandLine two = parse({QStringLiteral("a.html"), QStringLiteral("b.html")});
    EXPECT_EQ(two.action, Action::Unusable);
    EXPECT_FALSE(two.problem.isEmpty());
}

TEST(CommandLineParser, CaptureTakesItsOptionsAndSeveralAddresses) {
    const CommandLine line =
        parse({"--capture", "--format", "rtf", "-o", "testi", "--force", "--settle", "0",
               "--timeout", "5", "-j", "3", "a.html", "https://example.org/", "-"},
              QStringLiteral("/lavoro"));
    ASSERT_EQ(line.action, Action::Capture) << qPrintable(line.problem);
    const CaptureOptions& c = line.capture;
    EXPECT_EQ(c.addresses, (QStringList{"a.html", "https://example.org/", "-"}));
    EXPECT_EQ(c.format, CaptureOptions::Format::Rtf);
    EXPECT_EQ(c.output, QStringLiteral("testi"));
    EXPECT_TRUE(c.force);
    EXPECT_EQ(c.settleMs, 0);
    EXPECT_EQ(c.timeoutSeconds, 5);
    EXPECT_EQ(c.jobs, 3);
    EXPECT_EQ(c.workingFolder, QStringLiteral("/lavoro"));

    const CaptureOptions defaults = parse({"--capture", "a.html"}).capture;
    EXPECT_EQ(defaults.format, CaptureOptions::Format::Text);
    EXPECT_TRUE(defaults.output.isEmpty());
    EXPECT_EQ(defaults.settleMs, CaptureOptions::kDefaultSettleMs);
    EXPECT_EQ(defaults.timeoutSeconds, CaptureOptions::kDefaultTimeoutSeconds);
    EXPECT_EQ(defaults.jobs, defaultCaptureJobs());
}

TEST(CommandLineParser, BadCaptureValuesAreRefused) {
    for (const QStringList& bad :
         {QStringList{"--capture"}, QStringList{"--capture", "--format", "pdf", "a.html"},
          QStringList{"--capture", "-j", "0", "a.html"},
          QStringList{"--capture", "-j", "99", "a.html"},
          QStringList{"--capture", "--timeout", "dieci", "a.html"},
          QStringList{"--capture", "--settle", "-1", "a.html"}, QStringList{"--capture", "-", "-"},
          QStringList{"-o", "testi", "a.html"}}) {
        const CommandLine line = parse(bad);
        EXPECT_EQ(line.action, Action::Unusable) << qPrintable(bad.join(u' '));
        EXPECT_FALSE(line.problem.isEmpty());
    }
}

TEST(CommandLineParser, AnAddressListSkipsBlankAndCommentLines) {
    EXPECT_EQ(readAddressList("  a.html \r\n\n# commento\nhttps://example.org/è\n\t\n"),
              (QStringList{"a.html", "https://example.org/è"}));
    EXPECT_TRUE(readAddressList("").isEmpty());
}

struct Answer {
    int exitCode;
    QString out;
    QString err;
};

// Runs the program as a user would from a text console: no display at all.
Answer runWithoutDisplay(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELCARO_EXE), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLineProgram, AnswersHelpAndVersionWithoutADisplay) {
    for (const char* option : {"-h", "--help"}) {
        const Answer help = runWithoutDisplay({QString::fromLatin1(option)});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.contains(QStringLiteral("--version"))) << qPrintable(help.out);
        EXPECT_TRUE(help.out.contains(QStringLiteral("indirizzo")));
        for (const char* capture : {"--capture", "--format", "--output", "--force", "--settle",
                                    "--timeout", "--jobs", "--journal", "jsonl", "--retries",
                                    "--per-host", "--delay", "--verbose", "--robots", "--sitemap"})
            EXPECT_TRUE(help.out.contains(QString::fromLatin1(capture))) << capture;
        EXPECT_TRUE(help.err.isEmpty()) << qPrintable(help.err);
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Utilizzo: "))) << qPrintable(help.out);
        EXPECT_TRUE(help.out.contains(QStringLiteral("Opzioni:")));
    }
    // In Italian whatever the system language, as the rest of the program.
    const Answer unknown = runWithoutDisplay({"--capture", "--bogus", "x"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.startsWith(QStringLiteral("Opzione sconosciuta 'bogus'.\nUtilizzo: ")))
        << qPrintable(unknown.err);
    for (const char* option : {"-v", "--version"}) {
        const Answer version = runWithoutDisplay({QString::fromLatin1(option)});
        EXPECT_EQ(version.exitCode, 0);
        // The window's engine and the age of its security fixes, read from its module.
        EXPECT_TRUE(version.out.startsWith(
            QStringLiteral("Velcaro 1.00\nMotore web della finestra: Qt WebEngine 6.")))
            << qPrintable(version.out);
        EXPECT_TRUE(
            version.out.contains(QStringLiteral("correzioni di sicurezza fino a Chromium ")))
            << qPrintable(version.out);
        EXPECT_TRUE(version.out.contains(QStringLiteral("Motore di --capture: Chromium ")))
            << qPrintable(version.out);
        EXPECT_TRUE(version.err.isEmpty()) << qPrintable(version.err);
    }
}

TEST(CommandLineProgram, HelpAndVersionToAFullDiskFailWithAReason) {
    for (const char* option : {"--help", "--version"}) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(VELCARO_EXE), {QString::fromLatin1(option)});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 1) << option;
        EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                        .contains(QStringLiteral("impossibile scrivere sull'uscita standard")))
            << option;
    }
}

TEST(CommandLineProgram, AWrongOptionGetsTheUsageOnStandardErrorAndExitCodeTwo) {
    const Answer wrong = runWithoutDisplay({QStringLiteral("--bogus")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.out.isEmpty());
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("bogus")));
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("--help")));
}

TEST(CommandLineProgram, AnAddressWithoutADisplayStillNeedsOne) {
    const Answer run = runWithoutDisplay({QStringLiteral("https://example.org/")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("DISPLAY")));
}

} // namespace
