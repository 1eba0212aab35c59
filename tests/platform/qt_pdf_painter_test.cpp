// Printing a PDF on a printer that takes page pictures: the resolution is capped, copies the
// printer does not make are made in the chosen order, and Cancel aborts the job.

#include "platform/print/qt_pdf_painter.h"
#include "platform/print/qt_print_feedback.h"
#include "platform/velcaro_error.h"

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

const QList<QColor> kPageColours{Qt::red, Qt::green, Qt::blue};

// A PDF of three pages, each filled with its own colour.
QByteArray colouredPages() {
    QByteArray pdf;
    QBuffer out(&pdf);
    out.open(QIODevice::WriteOnly);
    QPdfWriter writer(&out);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QPageSize::A7));
    QPainter painter(&writer);
    for (int i = 0; i < kPageColours.size(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.fillRect(painter.viewport(), kPageColours[i]);
    }
    painter.end();
    return pdf;
}

// The colour at the middle of each page of the printed file, as an index into kPageColours.
QList<int> printedOrder(const QString& path) {
    QPdfDocument printed;
    if (printed.load(path) != QPdfDocument::Error::None)
        return {};
    QList<int> order;
    for (int page = 0; page < printed.pageCount(); ++page) {
        const QImage image = printed.render(page, QSize(60, 80));
        const QColor c = image.pixelColor(30, 40);
        int best = -1;
        for (int i = 0; i < kPageColours.size(); ++i)
            if (qAbs(c.red() - kPageColours[i].red()) < 40 &&
                qAbs(c.green() - kPageColours[i].green()) < 40 &&
                qAbs(c.blue() - kPageColours[i].blue()) < 40)
                best = i;
        order.append(best);
    }
    return order;
}

class QtPdfPainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out);
        printer.setPageSize(QPageSize(QPageSize::A7));
        ASSERT_FALSE(printer.supportsMultipleCopies()) << "the PDF printer leaves copies to us";
    }

    QTemporaryDir dir;
    QString out = dir.filePath(QStringLiteral("stampa.pdf"));
    QPrinter printer{QPrinter::HighResolution};
};

TEST_F(QtPdfPainterTest, ResolutionIsCappedAndLowerOnesAreKept) {
    ASSERT_GT(printer.resolution(), QtPdfPainter::kMaxDpi);
    QtPdfPainter::limitResolution(printer);
    EXPECT_EQ(printer.resolution(), QtPdfPainter::kMaxDpi);
    printer.setResolution(150);
    QtPdfPainter::limitResolution(printer);
    EXPECT_EQ(printer.resolution(), 150);
}

TEST_F(QtPdfPainterTest, PrintsEveryPageWithCopiesInTheChosenOrder) {
    QtPrintFeedback feedback(nullptr, QStringLiteral("Stampa..."));
    EXPECT_TRUE(QtPdfPainter::paint(colouredPages(), printer, feedback));
    EXPECT_EQ(printer.resolution(), QtPdfPainter::kMaxDpi);
    EXPECT_EQ(printedOrder(out), (QList<int>{0, 1, 2}));

    printer.setCopyCount(2);
    printer.setCollateCopies(true);
    EXPECT_TRUE(QtPdfPainter::paint(colouredPages(), printer, feedback));
    EXPECT_EQ(printedOrder(out), (QList<int>{0, 1, 2, 0, 1, 2}));

    printer.setCollateCopies(false);
    EXPECT_TRUE(QtPdfPainter::paint(colouredPages(), printer, feedback));
    EXPECT_EQ(printedOrder(out), (QList<int>{0, 0, 1, 1, 2, 2}));
}

TEST_F(QtPdfPainterTest, UnreadableInputFailsAndCancelAbortsTheJob) {
    QtPrintFeedback feedback(nullptr, QStringLiteral("Stampa..."));
    try {
        QtPdfPainter::paint("non è un PDF", printer, feedback);
        ADD_FAILURE() << "no error for bytes that are not a PDF";
    } catch (const VelcaroError& e) {
        EXPECT_EQ(e.number(), error::kPrintFailed);
    }

    feedback.onCancel([] {});
    QProgressDialog* progress = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<QProgressDialog*>(w))
            progress = p;
    ASSERT_NE(progress, nullptr);
    emit progress->canceled();
    EXPECT_TRUE(feedback.cancelled());
    EXPECT_FALSE(QtPdfPainter::paint(colouredPages(), printer, feedback));
}

} // namespace
