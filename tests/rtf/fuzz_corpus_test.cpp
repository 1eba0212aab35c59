// The inputs the converter and style fuzzers found, replayed with the checks the fuzzers make,
// and the cases behind them.
#include "rtf/css_style.h"
#include "rtf/html_to_rtf.h"
#include "rtf/rtf_reader.h"

#include <QDir>
#include <QFile>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace velcaro::rtf;

namespace {

// The files of one folder of the regression corpus, read whole.
QList<QPair<QString, QByteArray>> corpus(const QString& folder) {
    const QDir dir(QDir(qEnvironmentVariable("VELCARO_TEST_DATA")).filePath("../corpus/" + folder));
    QList<QPair<QString, QByteArray>> inputs;
    for (const QString& name : dir.entryList(QDir::Files)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            inputs.append({name, file.readAll()});
    }
    return inputs;
}

// The converter's own account of its text, in the form a text document gives plain text.
QString writtenText(const QByteArray& html, QByteArray* rtf = nullptr) {
    QString written;
    const QByteArray out = htmlToRtf(html, &written);
    if (rtf)
        *rtf = out;
    return written.replace(QChar::LineSeparator, u'\n');
}

} // namespace

TEST(HtmlToRtfCorpus, EveryInputReadsBackToTheTextTheConverterWrote) {
    const auto inputs = corpus("html");
    ASSERT_FALSE(inputs.isEmpty());
    for (const auto& [name, html] : inputs) {
        QByteArray rtf;
        const QString written = writtenText(html, &rtf);
        QTextDocument doc;
        readRtf(rtf, doc);
        EXPECT_EQ(doc.toPlainText(), written) << name.toStdString();
    }
}

TEST(HtmlToRtfCorpus, CharactersATextDocumentTakesForStructure) {
    // A paragraph separator in the page's text becomes a paragraph break; the non-characters
    // a text document uses as markers become U+FFFD, in the RTF and in the converter's text.
    QByteArray rtf;
    const QString written = writtenText("<table><tr><td>c</td><td>\u2029x</td></tr></table>"
                                        "<p>a\u2029\u2029b \xef\xb7\x90 d</p>",
                                        &rtf);
    EXPECT_EQ(written, QStringLiteral("c\t\nx\na\n\nb \uFFFD d"));
    QTextDocument doc;
    readRtf(rtf, doc);
    EXPECT_EQ(doc.toPlainText(), written);
    EXPECT_EQ(doc.blockCount(), 5);
}

TEST(CssStyleCorpus, EveryInputParsesToUsableValues) {
    const auto inputs = corpus("css");
    ASSERT_FALSE(inputs.isEmpty());
    for (const auto& [name, bytes] : inputs) {
        const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        const CssStyle style = parseInlineStyle(text);
        EXPECT_TRUE(style.sizePoints == 0 || (style.sizePoints > 0 && style.sizePoints <= 1600))
            << name.toStdString();
        EXPECT_TRUE(style.sizeFactor == 0 || (style.sizeFactor > 0 && style.sizeFactor <= 1600))
            << name.toStdString();
        QRgb rgb = 0;
        if (parseCssColor(text, rgb)) {
            EXPECT_EQ(qAlpha(rgb), 255) << name.toStdString();
        }
    }
}

TEST(CssStyleCorpus, NotANumberAndInfinityAreNoValues) {
    for (const char* value : {"nan", "NaN", "inf", "infinity", "-inf", "1e999"}) {
        const std::string size = std::string("font-size: ") + value + "px";
        const CssStyle style = parseInlineStyle(size);
        EXPECT_EQ(style.sizePoints, 0) << value;
        const std::string rel = std::string("font-size: ") + value + "em";
        EXPECT_EQ(parseInlineStyle(rel).sizeFactor, 0) << value;
        QRgb rgb = 0;
        const std::string colour = std::string("rgb(") + value + ", 10, 20)";
        ASSERT_TRUE(parseCssColor(colour, rgb)) << value;
        EXPECT_EQ(rgb, qRgb(0, 10, 20)) << value;
    }
    QRgb rgb = 0;
    EXPECT_FALSE(parseCssColor("rgba(1, 2, 3, nan)", rgb)) << "an alpha that is no number";
}
