// Document -> RTF -> document keeps the text exactly and the formatting the writer knows.
#include "doc_generator.h"
#include "doc_signature.h"
#include "rtf/rtf_reader.h"
#include "rtf/rtf_writer.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace velcaro::rtf;

namespace {

// The first line where two multi-line texts differ, both versions, for failure messages.
std::string firstDifference(const QString& a, const QString& b) {
    const QStringList la = a.split('\n');
    const QStringList lb = b.split('\n');
    for (qsizetype i = 0; i < qMax(la.size(), lb.size()); ++i) {
        const QString x = la.value(i);
        const QString y = lb.value(i);
        if (x != y)
            return QStringLiteral("line %1:\n  %2\n  %3").arg(i).arg(x, y).toStdString();
    }
    return {};
}

QString roundTripText(const QString& plain) {
    QTextDocument doc;
    doc.setPlainText(plain);
    QTextDocument back;
    readRtf(writeRtf(doc), back);
    return back.toPlainText();
}

} // namespace

TEST(RtfRoundTrip, PlainTextSurvivesExactly) {
    const QString cases[] = {
        QString(),
        QStringLiteral("RichTextBox1"),
        QStringLiteral("Perché la città è così bella? Però sì: caffè, tè, È"),
        QStringLiteral("righe\n\nvuote\n\n\n"),
        QStringLiteral("\n"),
        QStringLiteral("tab\tx\t\tfine"),
        QStringLiteral("barre \\ e {graffe} \\par \\'e8 \\u8364?"),
        QStringLiteral("东京 日本語 한국어 中文"),
        QStringLiteral("emoji 😀 👍🏽 🇮🇹 𝄞"),
        QStringLiteral("עברית שלום and العربية mixed"),
        QStringLiteral("€ ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ Ž ‘ ’ “ ” • – — ˜ ™ š › œ ž Ÿ"),
        QStringLiteral("controls \u0001\u0002\u001f and del \u007f and C1 \u0081\u009d"),
        QStringLiteral("soft\u00adhyphen nb\u2011hyphen zero\u200bwidth"),
        QStringLiteral("trailing space   "),
        QStringLiteral("?????"),
    };
    for (const QString& text : cases)
        EXPECT_EQ(roundTripText(text), text) << text.toStdString();
}

TEST(RtfRoundTrip, NonBreakingSpaceAndLineBreakKeepTheirCharacters) {
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("a\u00a0b\u2028c"));
    QTextDocument back;
    readRtf(writeRtf(doc), back);
    EXPECT_EQ(back.begin().text(), QStringLiteral("a\u00a0b\u2028c"));
    const QByteArray rtf = writeRtf(doc);
    EXPECT_TRUE(rtf.contains("a\\~b\\line c")) << rtf.constData();
}

TEST(RtfRoundTrip, WritesTheExpectedHeaderAndEscapes) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("è{}\\\t€𝄞中"));
    const QByteArray rtf = writeRtf(doc);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1040"))
        << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0"));
    EXPECT_TRUE(rtf.contains("{\\colortbl;"));
    EXPECT_TRUE(rtf.contains("\\'e8\\{\\}\\\\\\tab \\'80\\u-10188?\\u-8930?\\u20013?"))
        << rtf.constData();
    for (char c : rtf)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "RTF is 7-bit";
}

TEST(RtfRoundTrip, GeneratedDocumentsKeepTextAndFormatting) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        QTextDocument doc;
        velcaro::rtf::test::generateDocument(doc, seed, 30);
        const QByteArray rtf = writeRtf(doc);
        QTextDocument back;
        readRtf(rtf, back);
        ASSERT_EQ(back.toPlainText(), doc.toPlainText()) << "seed " << seed;
        const QString expected = velcaro::rtf::test::documentSignature(doc);
        const QString actual = velcaro::rtf::test::documentSignature(back);
        EXPECT_TRUE(actual == expected)
            << "seed " << seed << " " << firstDifference(actual, expected);
        // Writing what was read gives the same RTF again.
        const QByteArray again = writeRtf(back);
        EXPECT_TRUE(again == rtf) << "seed " << seed << " "
                                  << firstDifference(QString::fromLatin1(again),
                                                     QString::fromLatin1(rtf));
    }
}

TEST(RtfRoundTrip, TablesComeBackAsTablesWithTheirCells) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("prima"));
    QTextTable* table = cursor.insertTable(3, 2);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(
                QStringLiteral("r%1c%2").arg(r).arg(c));
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("dopo"));

    QTextDocument back;
    readRtf(writeRtf(doc), back);
    ASSERT_EQ(back.toPlainText(), doc.toPlainText());
    QTextCursor probe(&back);
    probe.setPosition(back.toPlainText().indexOf(QStringLiteral("r1c1")));
    QTextTable* read = probe.currentTable();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->rows(), 3);
    EXPECT_EQ(read->columns(), 2);
    EXPECT_EQ(read->cellAt(probe).row(), 1);
    EXPECT_EQ(read->cellAt(probe).column(), 1);
}

TEST(RtfRoundTrip, HyperlinksBecomeFieldsAndComeBack) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("vedi "));
    QTextCharFormat link;
    link.setAnchor(true);
    link.setAnchorHref(QStringLiteral("https://example.invalid/a?b=1"));
    cursor.insertText(QStringLiteral("il sito"), link);
    cursor.insertText(QStringLiteral(" ora"), QTextCharFormat());
    const QByteArray rtf = writeRtf(doc);
    EXPECT_TRUE(rtf.contains("{\\field{\\*\\fldinst{HYPERLINK \"https://example.invalid/a?b=1\"}}"
                             "{\\fldrslt{"))
        << rtf.constData();
    QTextDocument back;
    readRtf(rtf, back);
    EXPECT_EQ(back.toPlainText(), QStringLiteral("vedi il sito ora"));
    QTextCursor probe(&back);
    probe.setPosition(7);
    EXPECT_EQ(probe.charFormat().anchorHref(), QStringLiteral("https://example.invalid/a?b=1"));
    probe.setPosition(14);
    EXPECT_FALSE(probe.charFormat().isAnchor());
}

TEST(RtfRoundTrip, ImagesAreLeftOut) {
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("prima "));
    QTextImageFormat image;
    image.setName(QStringLiteral("immagine.png"));
    cursor.insertImage(image);
    cursor.insertText(QStringLiteral(" dopo"));
    QTextDocument back;
    readRtf(writeRtf(doc), back);
    EXPECT_EQ(back.toPlainText(), QStringLiteral("prima  dopo"));
}

TEST(RtfRoundTrip, ListMarkersForOldReadersMatchQtsOwn) {
    for (const auto style : {QTextListFormat::ListDisc, QTextListFormat::ListDecimal,
                             QTextListFormat::ListLowerAlpha, QTextListFormat::ListUpperAlpha,
                             QTextListFormat::ListLowerRoman, QTextListFormat::ListUpperRoman}) {
        QTextDocument doc;
        QTextCursor cursor(&doc);
        QTextList* list = cursor.createList(style);
        for (int i = 0; i < 40; ++i) {
            if (i > 0) {
                cursor.insertBlock();
                list->add(cursor.block());
            }
            cursor.insertText(QStringLiteral("voce"));
        }
        const QByteArray rtf = writeRtf(doc);
        qsizetype from = 0;
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
            const QByteArray marker = "{\\pntext " + list->itemText(block).toUtf8();
            const QByteArray expected =
                style == QTextListFormat::ListDisc ? QByteArray("{\\pntext \\'95") : marker;
            const qsizetype at = rtf.indexOf(expected + "\\tab}", from);
            ASSERT_GE(at, 0) << expected.constData() << " style " << style;
            from = at + 1;
        }
    }
}
