// The print job sent to CUPS: the options taken from the print dialog's choices, and a PDF
// queued on a CUPS server of the test's own, whose queue writes what it receives to a file.

#include "platform/velcaro_error.h"
#include "qt/print/cups_print_job.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cups/cups.h>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

QByteArray option(const CupsPrintJob::Options& options, const char* name) {
    for (const auto& [key, value] : options)
        if (key == name)
            return value;
    return {};
}

TEST(CupsPrintJobOptions, FollowTheDialogsChoices) {
    // A printer of no print system: its settings are what the dialog leaves in it.
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    CupsPrintJob::Options plain = CupsPrintJob::options(printer);
    EXPECT_EQ(option(plain, "copies"), QByteArray()) << "one copy is the default";
    EXPECT_EQ(option(plain, "sides"), "one-sided");
    EXPECT_EQ(option(plain, "media"), "A4");
    EXPECT_EQ(option(plain, "print-color-mode"), QByteArray());

    printer.setCopyCount(3);
    printer.setCollateCopies(false);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setColorMode(QPrinter::GrayScale);
    printer.setPageOrder(QPrinter::LastPageFirst);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    const CupsPrintJob::Options chosen = CupsPrintJob::options(printer);
    EXPECT_EQ(option(chosen, "copies"), "3");
    EXPECT_EQ(option(chosen, "collate"), "false");
    EXPECT_EQ(option(chosen, "print-color-mode"), "monochrome");
    EXPECT_EQ(option(chosen, "outputorder"), "reverse");
    EXPECT_EQ(option(chosen, "media"), "Letter");
}

TEST(CupsPrintJobOptions, TwoSidedPrintingTurnsOnTheEdgeAsked) {
    EXPECT_EQ(CupsPrintJob::sides(QPrinter::DuplexNone, QPageLayout::Portrait), "one-sided");
    EXPECT_EQ(CupsPrintJob::sides(QPrinter::DuplexLongSide, QPageLayout::Landscape),
              "two-sided-long-edge");
    EXPECT_EQ(CupsPrintJob::sides(QPrinter::DuplexShortSide, QPageLayout::Portrait),
              "two-sided-short-edge");
    EXPECT_EQ(CupsPrintJob::sides(QPrinter::DuplexAuto, QPageLayout::Portrait),
              "two-sided-long-edge");
    EXPECT_EQ(CupsPrintJob::sides(QPrinter::DuplexAuto, QPageLayout::Landscape),
              "two-sided-short-edge");
}

// A CUPS server in a temporary folder, listening on a socket there, with one raw queue
// "Prova" that prints to nowhere; the server keeps each job's document in its spool folder.
class PrivateCups : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/sbin/cupsd"))) << "cups-daemon missing";
        ASSERT_TRUE(dir.isValid());
        const QString d = dir.path();
        for (const char* sub : {"spool", "cache", "state", "tmp"})
            ASSERT_TRUE(QDir(d).mkpath(QLatin1String(sub)));
        socket = d + QStringLiteral("/cups.sock");
        write(QStringLiteral("cupsd.conf"),
              QStringLiteral(
                  "Listen %1\nLogLevel warn\nPreserveJobFiles Yes\n<Location />\nOrder allow,deny\n"
                  "Allow all\n</Location>\n")
                  .arg(socket));
        write(QStringLiteral("cups-files.conf"),
              QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\n"
                             "CacheDir %1/cache\nStateDir %1/state\nTempDir %1/tmp\n"
                             "ErrorLog %1/error_log\nAccessLog %1/access_log\n"
                             "PageLog %1/page_log\n"
                             "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                             "SystemGroup root\nSandboxing Relaxed\n")
                  .arg(d));
        cupsd.start(QStringLiteral("/usr/sbin/cupsd"),
                    {QStringLiteral("-f"), QStringLiteral("-c"), d + QStringLiteral("/cupsd.conf"),
                     QStringLiteral("-s"), d + QStringLiteral("/cups-files.conf")});
        ASSERT_TRUE(cupsd.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([this] { return QFile::exists(socket); }, 10000))
            << qPrintable(log());
        QProcess lpadmin;
        lpadmin.start(QStringLiteral("lpadmin"),
                      {QStringLiteral("-h"), socket, QStringLiteral("-p"), QStringLiteral("Prova"),
                       QStringLiteral("-v"), QStringLiteral("file:/dev/null"),
                       QStringLiteral("-E")});
        ASSERT_TRUE(lpadmin.waitForFinished(20000));
        ASSERT_EQ(lpadmin.exitCode(), 0) << lpadmin.readAllStandardError().constData();
        cupsSetServer(socket.toUtf8().constData());
    }
    void TearDown() override {
        cupsSetServer(nullptr);
        cupsd.terminate();
        cupsd.waitForFinished(10000);
    }

    void write(const QString& name, const QString& text) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    // The document of the first job, as the server received it.
    QString firstDocument() const { return dir.filePath(QStringLiteral("spool/d00001-001")); }
    QString log() const {
        QFile f(dir.filePath(QStringLiteral("error_log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QTemporaryDir dir;
    QString socket;
    QProcess cupsd;
};

TEST_F(PrivateCups, AQueuedPdfReachesThePrinterUnchanged) {
    // Larger than one piece of the upload, and not a multiple of it.
    QByteArray pdf = "%PDF-1.4\n";
    while (pdf.size() < 200000)
        pdf += "% riga di riempimento, così il documento è più lungo di un pezzo\n";
    CupsPrintJob::submit(pdf, QStringLiteral("Prova"), QStringLiteral("Città è"),
                         {{"copies", "1"}});
    ASSERT_TRUE(QTest::qWaitFor(
        [this, &pdf] { return QFileInfo(firstDocument()).size() == pdf.size(); }, 20000))
        << qPrintable(log());
    QFile printed(firstDocument());
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_EQ(printed.readAll(), pdf);
}

TEST_F(PrivateCups, AnUnknownQueueIsReportedByName) {
    try {
        CupsPrintJob::submit("%PDF-1.4\n", QStringLiteral("Inesistente"), QStringLiteral("x"), {});
        ADD_FAILURE() << "no error for a queue that does not exist";
    } catch (const VelcaroError& e) {
        EXPECT_EQ(e.number(), error::kPrintFailed);
        EXPECT_TRUE(e.description().contains(QStringLiteral("\"Inesistente\"")))
            << qPrintable(e.description());
    }
}

} // namespace
