// Print and Print Preview on the real engine, offscreen: the PDF file keeps the page's text
// as text and the chosen layout, the preview shows a long page's pages, and a job can be
// cancelled, refused while another runs, or lose its window without harm.

#include "browser_window/form1.h"
#include "qt/print/qt_print_feedback.h"
#include "qt/print/qt_print_preview.h"
#include "shell/application.h"
#include "support/browser_window_fixture.h"
#include "support/long_page.h"
#include "support/qt_helpers.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <csignal>
#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

// White space aside: the PDF breaks lines where the page's layout does.
QString words(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC)
        .remove(QRegularExpression(QStringLiteral("\\s")));
}

QString pdfText(QPdfDocument& pdf) {
    QString text;
    for (int page = 0; page < pdf.pageCount(); ++page)
        text += pdf.getAllText(page).text() + QLatin1Char('\n');
    return text;
}

// Chooses "print to file" in the print dialog, with `layout` and `ranges` if given.
void printToFileWhenAsked(const QString& pdf, std::function<void(QPrinter&)> choose = {},
                          int timeoutMs = 30000) {
    whenDialogAppears<QPrintDialog>(
        [pdf, choose](QPrintDialog* dialog) {
            QPrinter& printer = *dialog->printer();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            if (choose)
                choose(printer);
            dialog->done(QDialog::Accepted);
        },
        timeoutMs);
}

class QtPrint : public BrowserWindowFixture {
protected:
    void open(const QByteArray& html) {
        const QString path = dir.filePath(QStringLiteral("pagina.html"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(html);
        f.close();
        edit->setText(path);
        QTest::keyClick(edit, Qt::Key_Return);
        QWidget* view = engineView(form1);
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(waitForLoad(view));
    }

    // The page's text as the capture copies it.
    QString capturedText() {
        action("mnuCopia_Testo")->trigger();
        QWidget* form3 = topLevel(QStringLiteral("Form3"));
        if (!form3)
            return {};
        const QString text = form3->findChild<QTextEdit*>()->toPlainText();
        app.form3().Unload();
        return text;
    }

    QStringList errors() const { return platform.messages.prompts; }
};

TEST_F(QtPrint, APdfFileKeepsThePagesTextAsTextInTheChosenLayout) {
    open("<!DOCTYPE html><html><head><meta charset='utf-8'></head><body>"
         "<h1>Città e caffè</h1><p>Perché <b>così</b> è più <i>facile</i>: "
         "日本語のテキスト.</p><ul><li>primo punto</li><li>secondo punto</li></ul>"
         "<table border='1'><tr><td>Euro €</td><td>1,00</td></tr></table></body></html>");
    const QString copied = capturedText();
    ASSERT_FALSE(copied.isEmpty());

    const QString out = dir.filePath(QStringLiteral("uscita è.pdf"));
    printToFileWhenAsked(out, [](QPrinter& printer) {
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape,
                                          QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    });
    action("mnuFilePrint")->trigger();
    ASSERT_TRUE(errors().isEmpty()) << qPrintable(errors().join('|'));

    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out), QPdfDocument::Error::None);
    ASSERT_EQ(pdf.pageCount(), 1);
    const QSizeF a5 = QPageSize(QPageSize::A5).size(QPageSize::Point);
    EXPECT_NEAR(pdf.pagePointSize(0).width(), a5.height(), 1.0) << "landscape A5";
    EXPECT_NEAR(pdf.pagePointSize(0).height(), a5.width(), 1.0);
    EXPECT_EQ(words(pdfText(pdf)), words(copied));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "the page and the PDF, no temporary file";
}

TEST_F(QtPrint, APageRangeLimitsThePdfToThosePages) {
    open(makeLongPage(6));
    const QString out = dir.filePath(QStringLiteral("pagine.pdf"));
    printToFileWhenAsked(out, [](QPrinter& printer) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(QPageRanges());
        QPageRanges ranges;
        ranges.addRange(2, 3);
        printer.setPageRanges(ranges);
    });
    action("mnuFilePrint")->trigger();
    ASSERT_TRUE(errors().isEmpty()) << qPrintable(errors().join('|'));
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out), QPdfDocument::Error::None);
    EXPECT_EQ(pdf.pageCount(), 2);
    EXPECT_FALSE(pdfText(pdf).contains(QStringLiteral("Capitolo 1\n")));
}

TEST_F(QtPrint, AnUnwritableOutputFolderIsReportedWithThePathAndLeavesNothing) {
    open("<html><body><p>Testo</p></body></html>");
    const QString out = dir.filePath(QStringLiteral("manca/uscita.pdf"));
    printToFileWhenAsked(out);
    action("mnuFilePrint")->trigger();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith(QStringLiteral("Errore 76:"))) << qPrintable(errors()[0]);
    EXPECT_TRUE(errors()[0].contains(QDir::toNativeSeparators(out)));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("pagina.html")});
    EXPECT_TRUE(form1->isVisible()) << "the program goes on";
}

TEST_F(QtPrint, ThePreviewShowsALongPageWithItsPageCountAndNavigation) {
    open(makeLongPage(60));
    int pages = 0;
    QString first, second;
    whenWindowAppears(
        QStringLiteral("PrintPreview"),
        [&](QWidget* preview) {
            auto* position = preview->findChild<QLabel*>(QStringLiteral("PreviewPosition"));
            pages = preview->property("pageCount").toInt();
            first = position->text().trimmed();
            // Shortcuts reach only the active window.
            for (QToolButton* b : preview->findChildren<QToolButton*>())
                if (b->text() == QStringLiteral("Pagina successiva"))
                    b->click();
            for (int i = 0; i < 100 && position->text().trimmed() == first; ++i)
                QTest::qWait(20);
            second = position->text().trimmed();
            preview->close();
        },
        120000);
    action("mnuFilePrintPreview")->trigger();
    ASSERT_TRUE(errors().isEmpty()) << qPrintable(errors().join('|'));
    EXPECT_GE(pages, 50);
    EXPECT_EQ(first, QStringLiteral("Pagina 1 di %1").arg(pages));
    EXPECT_EQ(second, QStringLiteral("Pagina 2 di %1").arg(pages));
}

TEST_F(QtPrint, ThePreviewsPrintButtonPrintsThroughThePrintDialog) {
    open("<html><body><p>Dall'anteprima alla carta</p></body></html>");
    const QString out = dir.filePath(QStringLiteral("da anteprima.pdf"));
    whenWindowAppears(QStringLiteral("PrintPreview"), [&](QWidget* preview) {
        printToFileWhenAsked(out);
        preview->findChild<QPushButton*>(QStringLiteral("PreviewPrint"))->click();
        preview->close();
    });
    action("mnuFilePrintPreview")->trigger();
    ASSERT_TRUE(errors().isEmpty()) << qPrintable(errors().join('|'));
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out), QPdfDocument::Error::None);
    EXPECT_TRUE(pdfText(pdf).contains(QStringLiteral("Dall'anteprima alla carta")));
}

TEST_F(QtPrint, CancelEndsTheWaitWritesNothingAndTheEngineIsFreeOnceDone) {
    // Long enough for the PDF step to outlast the progress window's delay on a fast machine.
    open(makeLongPage(1000));
    const QString out = dir.filePath(QStringLiteral("annullata.pdf"));
    printToFileWhenAsked(out);
    bool progressShown = false;
    whenDialogAppears<QProgressDialog>([&](QProgressDialog* progress) {
        progressShown = true;
        progress->findChild<QPushButton*>()->click();
    });
    action("mnuFilePrint")->trigger();
    ASSERT_TRUE(progressShown) << "a slow PDF step shows its progress window";
    EXPECT_TRUE(errors().isEmpty()) << qPrintable(errors().join('|'));
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // The engine finishes the abandoned PDF in the background: until then a new job is
    // refused before its dialog, afterwards it runs to its end.
    action("mnuFilePrint")->trigger();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith(QStringLiteral("Errore 1003:"))) << qPrintable(errors()[0]);
    const QString again = dir.filePath(QStringLiteral("dopo.pdf"));
    printToFileWhenAsked(
        again,
        [](QPrinter& printer) {
            printer.setPrintRange(QPrinter::PageRange);
            QPageRanges ranges;
            ranges.addPage(1);
            printer.setPageRanges(ranges);
        },
        120000);
    for (int i = 0; i < 240 && !QFile::exists(again); ++i) {
        QTest::qWait(500);
        action("mnuFilePrint")->trigger();
    }
    EXPECT_TRUE(QFile::exists(again));
}

TEST_F(QtPrint, ASecondJobWhileOneRunsIsRefused) {
    open(makeLongPage(150));
    QTimer::singleShot(200, [this] { action("mnuFilePrintPreview")->trigger(); });
    whenWindowAppears(
        QStringLiteral("PrintPreview"), [](QWidget* preview) { preview->close(); }, 120000);
    action("mnuFilePrintPreview")->trigger();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith(QStringLiteral("Errore 1003:"))) << qPrintable(errors()[0]);
}

TEST_F(QtPrint, APageWhoseProcessEndedIsNotPrintedAndGoRecovers) {
    open("<html><body><p>Pagina da stampare</p></body></html>");
    QWidget* view = engineView(form1);
    QObject* enginePage = nullptr;
    for (QObject* child : view->findChildren<QObject*>())
        if (child->inherits("QWebEnginePage"))
            enginePage = child;
    ASSERT_NE(enginePage, nullptr);
    ::kill(static_cast<pid_t>(enginePage->property("renderProcessPid").toLongLong()), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor(
        [view] {
            return view->property("title").toString() == QStringLiteral("Pagina interrotta");
        },
        10000));

    action("mnuFilePrintPreview")->trigger();
    action("mnuFilePrint")->trigger();
    ASSERT_EQ(errors().size(), 2);
    for (const QString& e : errors())
        EXPECT_TRUE(e.startsWith(QStringLiteral("Errore 1002:"))) << qPrintable(e);

    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(waitForLoad(view));
    const QString out = dir.filePath(QStringLiteral("ripresa.pdf"));
    printToFileWhenAsked(out);
    action("mnuFilePrint")->trigger();
    EXPECT_EQ(errors().size(), 2);
    EXPECT_TRUE(QFile::exists(out));
}

TEST_F(QtPrint, ClosingTheWindowWhileThePdfIsMadeDoesNoHarm) {
    open(makeLongPage(150));
    QTimer::singleShot(300, [this] { form1->close(); });
    action("mnuFilePrintPreview")->trigger();
    EXPECT_FALSE(app.form1().isLoaded());
    EXPECT_EQ(platform.quits, 1);
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith(QStringLiteral("Errore 1002:"))) << qPrintable(errors()[0]);
    QTest::qWait(100);
}

TEST(PrintWindows, ScreenReadersHearANameForEveryControl) {
    QtPrintPreview preview(QByteArray(), {}, nullptr);
    EXPECT_EQ(accessibleName(preview.findChild<QWidget*>(QStringLiteral("PreviewPages"))),
              QStringLiteral("Pagine dell'anteprima"));
    EXPECT_EQ(unnamedControls(&preview), QStringList());

    QWidget window;
    const QtPrintFeedback feedback(&window, QStringLiteral("Invio alla stampante..."));
    auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("PrintProgress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(unnamedControls(progress), QStringList());
}

} // namespace
