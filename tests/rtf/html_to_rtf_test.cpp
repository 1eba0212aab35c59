// The HTML converter against the web engine's own plain copy of the same page, and the
// formatting it carries over.
#include "doc_query.h"
#include "engine_copy.h"
#include "generated_page.h"
#include "rtf/html_to_rtf.h"
#include "rtf/rtf_reader.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

using namespace velcaro::rtf;
using namespace velcaro::rtf::test;

namespace {

QString pagePath(const QString& name) {
    return QDir(qEnvironmentVariable("VELCARO_TEST_DATA")).filePath("pages/" + name);
}

} // namespace

class EnginePages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const QString& name : {QStringLiteral("article.html"), QStringLiteral("tricky.html")})
            copies[name] = test::copyPageInEngine(pagePath(name));
        QFile page(generated.filePath("generated.html"));
        if (page.open(QIODevice::WriteOnly)) {
            page.write(generatedPage(7));
            page.close();
            copies["generated.html"] = test::copyPageInEngine(page.fileName());
        }
    }
    static inline QHash<QString, test::EngineCopy> copies;
    static inline QTemporaryDir generated;
};

TEST_F(EnginePages, ConvertedTextEqualsTheEnginePlainCopy) {
    ASSERT_EQ(copies.size(), 3);
    for (auto it = copies.cbegin(); it != copies.cend(); ++it) {
        ASSERT_TRUE(it->ok) << "engine copy failed for " << it.key().toStdString();
        QTextDocument doc;
        readRtf(htmlToRtf(it->html.toUtf8()), doc);
        // The raw text, not toPlainText: that one would hide non-breaking spaces.
        const QString raw = doc.toRawText()
                                .replace(QChar::ParagraphSeparator, u'\n')
                                .replace(QChar::LineSeparator, u'\n');
        const QStringList got = raw.split('\n');
        const QStringList want = it->text.split('\n');
        EXPECT_GT(want.size(), 10) << it.key().toStdString() << ": the copy is nearly empty";
        EXPECT_EQ(got.size(), want.size()) << it.key().toStdString();
        for (qsizetype i = 0; i < qMin(got.size(), want.size()); ++i)
            EXPECT_EQ(got[i].toStdString(), want[i].toStdString())
                << it.key().toStdString() << " line " << i;
        EXPECT_EQ(doc.toPlainText().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts),
                  it->text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts));
    }
}

TEST_F(EnginePages, FormattingOfTheCopyIsKept) {
    const test::EngineCopy& copy = copies[QStringLiteral("article.html")];
    ASSERT_TRUE(copy.ok);
    QTextDocument doc;
    readRtf(htmlToRtf(copy.html.toUtf8()), doc);
    const QString plain = doc.toPlainText();
    QTextCursor cursor(&doc);
    cursor.setPosition(plain.indexOf("Il caffè") + 4);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatAt(doc, "Italia").fontItalic());
    EXPECT_TRUE(formatAt(doc, "Ottocento").fontUnderline());
    EXPECT_TRUE(formatAt(doc, "barrato").fontStrikeOut());
    EXPECT_FALSE(formatAt(doc, "espresso").fontItalic());
    EXPECT_EQ(formatAt(doc, "Testo evidenziato").background().color(), QColor(255, 255, 128));
    EXPECT_EQ(formatAt(doc, "Testo evidenziato").foreground().color(), QColor(128, 48, 0));
    EXPECT_EQ(formatAt(doc, "testo grande").fontPointSize(), 15);
    EXPECT_EQ(formatAt(doc, "monospazio").fontFamilies().toStringList().value(0), "Courier New");
    EXPECT_EQ(formatAt(doc, "un collegamento").anchorHref(), "https://example.invalid/");
    EXPECT_EQ(blockWith(doc, "Perché").blockFormat().headingLevel(), 1);
    EXPECT_TRUE(formatAt(doc, "Perché").fontWeight() == QFont::Bold);
    EXPECT_EQ(blockWith(doc, "Centrato").blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    ASSERT_NE(blockWith(doc, "terzo").textList(), nullptr);
    EXPECT_EQ(blockWith(doc, "terzo").textList()->format().style(), QTextListFormat::ListDisc);
    ASSERT_NE(blockWith(doc, "due").textList(), nullptr);
    EXPECT_EQ(blockWith(doc, "due").textList()->format().style(), QTextListFormat::ListDecimal);
    cursor.setPosition(plain.indexOf("H2O") + 2);
    EXPECT_EQ(cursor.charFormat().verticalAlignment(), QTextCharFormat::AlignSubScript);
}

TEST(HtmlToRtf, CollapsesWhiteSpaceAndSkipsHiddenContent) {
    const QByteArray html =
        "<div>  a \n\t b  <span style=\"display:none\">hidden</span><script>x()</script>"
        "<b> c </b> </div><p style=\"display: none\">hidden</p>"
        "<pre>\n  x  y\n z</pre><div>p&nbsp;&nbsp;q</div>";
    QTextDocument doc;
    readRtf(htmlToRtf(html), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("a b c\n  x  y\n z\np  q"));
    EXPECT_FALSE(doc.toRawText().contains(QChar(0x00A0)))
        << "non-breaking spaces become plain spaces, as in the engine's plain copy";
}

TEST(HtmlToRtf, BadOrEmptyHtmlGivesAValidDocument) {
    for (const QByteArray& html :
         {QByteArray(), QByteArray("<"), QByteArray("<div><b>unclosed <i>tags"),
          QByteArray("\xff\xfe\x00garbage", 6), QByteArray(5000, '<') + QByteArray(5000, '>'),
          QByteArray("<p style=\"font-size: 99999999px; color: rgb(1,2\">x</p>")}) {
        const QByteArray rtf = htmlToRtf(html);
        EXPECT_TRUE(rtf.startsWith("{\\rtf1")) << html.left(40).constData();
        EXPECT_TRUE(rtf.trimmed().endsWith('}'));
    }
    QTextDocument doc;
    readRtf(htmlToRtf("<div><b>unclosed <i>tags"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("unclosed tags"));
}
