// The reader on hand-written samples in the manner of Word, LibreOffice and the rich text
// control, on the RTF features one at a time, and on damaged and hostile input.
#include "doc_query.h"
#include "rtf/rtf_reader.h"

#include <QDir>
#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace velcaro::rtf;
using namespace velcaro::rtf::test;

namespace {

QString dataPath(const QString& relative) {
    return QDir(qEnvironmentVariable("VELCARO_TEST_DATA")).filePath(relative);
}

QByteArray readData(const QString& relative) {
    QFile file(dataPath(relative));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
    return file.readAll();
}

QString textOf(const QByteArray& rtf) {
    QTextDocument doc;
    readRtf(rtf, doc);
    return doc.toPlainText();
}

} // namespace

TEST(RtfReaderSamples, RichTextBoxDesignedContent) {
    const QByteArray rtf = readData("samples/richtextbox.rtf");
    ASSERT_TRUE(rtf.contains("\r\n"));
    QTextDocument doc;
    readRtf(rtf, doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("RichTextBox1"));
    const QTextCharFormat f = formatAt(doc, "RichTextBox1");
    EXPECT_EQ(f.fontFamilies().toStringList().value(0), QStringLiteral("MS Sans Serif"));
    EXPECT_DOUBLE_EQ(f.fontPointSize(), 8.5);
}

TEST(RtfReaderSamples, WordStyleDocument) {
    QTextDocument doc;
    readRtf(readData("samples/word_style.rtf"), doc);
    const QString text = doc.toPlainText();
    EXPECT_FALSE(text.contains("Intestazione")) << "header left out";
    EXPECT_FALSE(text.contains("Mario")) << "info left out";
    EXPECT_FALSE(text.contains("datafield"));
    EXPECT_FALSE(text.contains(QChar(0xb7))) << "list text left out";
    EXPECT_TRUE(text.startsWith("Titolo del documento\n")) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Città, perché, ПриветПри — “ok” …")))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Vedi il sito."));
    EXPECT_EQ(blockWith(doc, "Titolo").blockFormat().headingLevel(), 1);
    EXPECT_EQ(formatAt(doc, "grassetto").fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatAt(doc, "corsivo").fontItalic());
    EXPECT_TRUE(formatAt(doc, "sottolineato").fontUnderline());
    EXPECT_EQ(formatAt(doc, "rosso").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatAt(doc, "il sito").anchorHref(), "https://example.invalid/percorso");
    ASSERT_NE(blockWith(doc, "Primo punto").textList(), nullptr);
    EXPECT_EQ(blockWith(doc, "Primo punto").textList(), blockWith(doc, "Secondo").textList());
    EXPECT_EQ(blockWith(doc, "Primo punto").textList()->format().style(),
              QTextListFormat::ListDisc);
    ASSERT_NE(blockWith(doc, "Numerato").textList(), nullptr);
    EXPECT_EQ(blockWith(doc, "Numerato").textList()->format().style(),
              QTextListFormat::ListDecimal);
    QTextCursor cell(&doc);
    cell.setPosition(text.indexOf("42"));
    QTextTable* table = cell.currentTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(0, 0).firstCursorPosition().block().text(), "Nome");
    EXPECT_EQ(table->cellAt(1, 1).firstCursorPosition().block().text(), "42");
    EXPECT_TRUE(text.endsWith("Fine con immagine .")) << text.toStdString();
}

TEST(RtfReaderSamples, LibreOfficeStyleDocument) {
    QTextDocument doc;
    readRtf(readData("samples/libreoffice_style.rtf"), doc);
    const QString text = doc.toPlainText();
    EXPECT_TRUE(text.startsWith("Intestazione uno\nTesto normale, grassetto e corsivo"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("LibreOffice"));
    EXPECT_TRUE(text.contains(QStringLiteral("Accenti: àèéìòù € 日本")));
    EXPECT_TRUE(text.contains(QStringLiteral("čąš ş"))) << "code page 1250 by \\fcharset238";
    EXPECT_TRUE(text.contains(QStringLiteral("\n日本\n"))) << "Shift_JIS by \\fcharset128";
    EXPECT_EQ(blockWith(doc, "Intestazione uno").blockFormat().headingLevel(), 1);
    EXPECT_EQ(formatAt(doc, "Intestazione").fontFamilies().toStringList().value(0),
              "Liberation Sans");
    EXPECT_EQ(formatAt(doc, "Testo normale").fontFamilies().toStringList().value(0),
              "Liberation Serif");
    EXPECT_EQ(formatAt(doc, "grassetto").fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatAt(doc, "corsivo").fontItalic());
    EXPECT_EQ(formatAt(doc, "evidenziato").background().color(), QColor(255, 255, 0));
    EXPECT_EQ(formatAt(doc, "apice").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatAt(doc, "pedice").verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_TRUE(formatAt(doc, "barrato").fontStrikeOut());
    EXPECT_EQ(blockWith(doc, "Centrato").blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(formatAt(doc, "collegamento").anchorHref(), "https://example.invalid/libre");
    EXPECT_TRUE(text.endsWith("A1\nB1\nA2\nB2\nDopo la tabella")) << text.toStdString();
    QTextCursor cell(&doc);
    cell.setPosition(text.indexOf("B2"));
    ASSERT_NE(cell.currentTable(), nullptr);
    EXPECT_EQ(cell.currentTable()->rows(), 2);
}

TEST(RtfReaderFeatures, UnicodeEscapesAndSkipping) {
    EXPECT_EQ(textOf("{\\rtf1\\uc1 a\\u233?b}"), QStringLiteral("aéb"));
    EXPECT_EQ(textOf("{\\rtf1\\uc2 \\u8364\\'80\\'80x}"), QStringLiteral("€x"));
    EXPECT_EQ(textOf("{\\rtf1\\uc0 \\u8364 x}"), QStringLiteral("€x"));
    EXPECT_EQ(textOf("{\\rtf1\\u-10179?\\u-8704?}"), QStringLiteral("😀"));
    EXPECT_EQ(textOf("{\\rtf1 {\\uc3 \\u8364}abc}"), QStringLiteral("€abc"))
        << "a group end stops the skipping";
    EXPECT_EQ(textOf("{\\rtf1\\u-10179?x}"), QStringLiteral("\ufffdx")) << "lone surrogate";
    EXPECT_EQ(textOf("{\\rtf1\\u99999?x\\u-99999?y}"), QStringLiteral("\ufffdx\ufffdy"));
    EXPECT_EQ(textOf("{\\rtf1\\u0?x}"), QStringLiteral("x"));
}

TEST(RtfReaderFeatures, SymbolsAndSpecialCharacters) {
    EXPECT_EQ(textOf("{\\rtf1 a\\emdash b\\endash c\\bullet d\\lquote e\\rquote f\\ldblquote g"
                     "\\rdblquote h\\~i\\-j\\_k\\tab l\\line m\\\\\\{\\}}"),
              QStringLiteral("a—b–c•d‘e’f“g”h i\u00adj\u2011k\tl\nm\\{}"));
    EXPECT_EQ(textOf("{\\rtf1 a\\par b\\par\\par c\\par}"), QStringLiteral("a\nb\n\nc"));
    EXPECT_EQ(textOf("{\\rtf1 x\\\ny}"), QStringLiteral("x\ny")) << "backslash-newline is \\par";
    EXPECT_EQ(textOf("{\\rtf1 ab\r\ncd\nef}"), QStringLiteral("abcdef"));
}

TEST(RtfReaderFeatures, CodePages) {
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}"), QStringLiteral("При"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2}"), QStringLiteral("αβ"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg1255 \\'f9}"), QStringLiteral("ש"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg874 \\'a1}"), QStringLiteral("ก"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}"), QStringLiteral("中文"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg949 \\'c7\\'d1}"), QStringLiteral("한"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg950 \\'a4\\'a4}"), QStringLiteral("中"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0}"), QStringLiteral("あ"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset162 T;}}\\f1 \\'fe\\f0 \\'fe}"),
              QStringLiteral("şþ"));
    EXPECT_EQ(textOf("{\\rtf1\\ansi\\ansicpg99999 \\'e8}"), QStringLiteral("è"))
        << "unknown code page falls back to 1252";
}

TEST(RtfReaderFeatures, DestinationsAreSkippedOrKept) {
    EXPECT_EQ(textOf("{\\rtf1{\\*\\unknowndest hidden}{\\info{\\title t}}{\\pict 0a0b}"
                     "{\\object{\\objdata 00}}{\\stylesheet{\\s1 heading 1;}}a{\\unknownword b}"
                     "\\bin3 {}}c}"),
              QStringLiteral("abc"));
    EXPECT_EQ(textOf("{\\rtf1{\\field{\\*\\fldinst PAGE}{\\fldrslt 7}} x}"), QStringLiteral("7 x"));
    EXPECT_EQ(textOf("{\\rtf1 a{\\v hidden}b}"), QStringLiteral("ab"));
}

TEST(RtfReaderFeatures, PlainTextAndEmptyInput) {
    QTextDocument doc;
    doc.setPlainText("old content");
    readRtf(QByteArray(), doc);
    EXPECT_TRUE(doc.isEmpty());
    readRtf(QByteArray("not {\\rtf but text è"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("not {\\rtf but text è"));
    readRtf(QString(" {\\rtf1 x}"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral(" {\\rtf1 x}"));
}

TEST(RtfReaderFeatures, TheEndOfTheDocumentEndsItsLastParagraph) {
    QTextDocument doc;
    readRtf(QByteArray("{\\rtf1 uno\\par\\qc {\\b due}}"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("uno\ndue"));
    EXPECT_EQ(blockWith(doc, "due").blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(formatAt(doc, "due").fontWeight(), QFont::Bold);

    readRtf(QByteArray("{\\rtf1 uno\\par}"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("uno"))
        << "a \\par at the end leaves no empty paragraph after it";
    readRtf(QByteArray("{\\rtf1\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b"), doc);
    EXPECT_TRUE(doc.toPlainText().contains(QStringLiteral("b")))
        << "text in a row that never ends is kept";
}

TEST(RtfReaderFeatures, StringInputTakesWideCharactersLiterally) {
    QTextDocument doc;
    readRtf(QStringLiteral("{\\rtf1\\ansi \\'e8 中文 \u00e9\\u8364?}"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("è 中文 é€"));
    readRtf(QStringLiteral("{\\rtf1\\uc1\\u8364 中x}"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("€x")) << "a wide character is skipped after \\u";
}

TEST(RtfReaderBadInput, DamagedDocumentsAreReadAsFarAsPossible) {
    EXPECT_EQ(textOf("{\\rtf1 abc"), QStringLiteral("abc")) << "truncated";
    EXPECT_EQ(textOf("{\\rtf1 {\\b abc"), QStringLiteral("abc"));
    EXPECT_EQ(textOf("{\\rtf1 a}}}} b}"), QStringLiteral("a")) << "extra closing braces";
    EXPECT_EQ(textOf("{\\rtf1 a\\"), QStringLiteral("a"));
    EXPECT_EQ(textOf("{\\rtf1 a\\'"), QStringLiteral("a"));
    EXPECT_EQ(textOf("{\\rtf1 a\\'4"), QStringLiteral("a"));
    EXPECT_EQ(textOf("{\\rtf1 a\\'zzb}"), QStringLiteral("azzb"));
    EXPECT_EQ(textOf("{\\rtf1 a\\bin999999999 bc}"), QStringLiteral("a")) << "\\bin past the end";
    EXPECT_EQ(textOf("{\\rtf1 a\\bin-5 b}"), QStringLiteral("ab"));
    EXPECT_EQ(textOf(QByteArray("{\\rtf1 a\0b\\u\0c}", 15)), QStringLiteral("abc"));
    EXPECT_EQ(textOf("{\\rtf1\\fs99999999999999999999 a\\li-99999999999999 b\\u123456789012?c}"),
              QStringLiteral("ab\ufffdc"));
    EXPECT_EQ(textOf("{\\rtf1 a\\" + QByteArray(1000, 'x') + "1 b}"), QStringLiteral("ab"));
    const QString cells = textOf("{\\rtf1 \\cell\\row\\row\\cell x\\nestrow\\trowd\\cellx-5 y}");
    EXPECT_TRUE(cells.contains('x') && cells.endsWith('y')) << cells.toStdString();
}

TEST(RtfReaderBadInput, DeepNestingIsBoundedAndFast) {
    const int depth = 100000;
    QByteArray rtf = "{\\rtf1 a";
    rtf += QByteArray(depth, '{');
    rtf += "\\b deep";
    rtf += QByteArray(depth, '}');
    rtf += " z}";
    QTextDocument doc;
    readRtf(rtf, doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("adeep z"));
    readRtf(QByteArray("{\\rtf1 ") + QByteArray(depth, '{'), doc); // never closed
    EXPECT_TRUE(doc.isEmpty());
}

TEST(RtfReaderBadInput, ListThatLosesItsOnlyParagraphIsNotUsedAgain) {
    // Found by the fuzzer: the cell's paragraph joined a list, then took another format at
    // the end of the document, so Qt deleted the emptied list while the reader still held it.
    for (const QByteArray& rtf :
         {QByteArray("{\\rtf\\intbl\\ls4{\\ls{1\\cell}}"),
          QByteArray("{\\rtf1\\intbl\\ls4{\\ls{1\\cell}}\\ls4 2\\cell\\ls0 3\\cell}"),
          QByteArray(
              "{\\rtf1{\\*\\pn\\pnlvlblt}{\\intbl a\\cell}\\pard b\\par{\\*\\pn\\pnlvlblt}c}")}) {
        QTextDocument doc;
        readRtf(rtf, doc);
        EXPECT_FALSE(doc.toPlainText().isEmpty()) << rtf.constData();
    }
    QTextDocument doc;
    readRtf(QByteArray("{\\rtf1\\intbl\\ls4{\\ls{1\\cell}}\\ls4 2\\cell\\ls0 3\\cell}"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("\n1\n2\n3\n"));
}

TEST(RtfReaderBadInput, WideTablesAreCappedWithoutLosingText) {
    QByteArray rtf = "{\\rtf1 ";
    for (int row = 0; row < 300; ++row) {
        rtf += "\\trowd\\cellx100";
        for (int cell = 0; cell < 300; ++cell)
            rtf += "\\intbl c" + QByteArray::number(cell) + "\\cell";
        rtf += "\\row ";
    }
    rtf += "\\pard dopo}";
    QTextDocument doc;
    readRtf(rtf, doc);
    const QString text = doc.toPlainText();
    EXPECT_EQ(text.count(QStringLiteral("c299")), 300);
    EXPECT_TRUE(text.endsWith("dopo"));
    QTextCursor cursor(&doc);
    cursor.setPosition(text.indexOf("c0"));
    ASSERT_NE(cursor.currentTable(), nullptr);
    EXPECT_EQ(cursor.currentTable()->columns(), 64);
    EXPECT_EQ(cursor.currentTable()->rows(), 300);
}

TEST(RtfReaderBadInput, RegressionCorpusIsReadToTheEnd) {
    const QDir corpus(QDir(qEnvironmentVariable("VELCARO_TEST_DATA")).filePath("../corpus"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << corpus.path().toStdString();
    for (const QString& name : files) {
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray data = "{\\rtf1" + file.readAll();
        QTextDocument doc;
        readRtf(data, doc);
        readRtf(QString::fromUtf8(data), doc);
    }
}
