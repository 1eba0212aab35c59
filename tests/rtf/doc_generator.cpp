#include "doc_generator.h"

#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <random>

namespace velcaro::rtf::test {
namespace {

const QStringList& words() {
    static const QStringList list = {QStringLiteral("perché"),
                                     QStringLiteral("città"),
                                     QStringLiteral("però"),
                                     QStringLiteral("caffè"),
                                     QStringLiteral("Università"),
                                     QStringLiteral("È"),
                                     QStringLiteral("东京"),
                                     QStringLiteral("日本語のテキスト"),
                                     QStringLiteral("한국어"),
                                     QStringLiteral("😀"),
                                     QStringLiteral("👍🏽"),
                                     QStringLiteral("𝄞"),
                                     QStringLiteral("שלום"),
                                     QStringLiteral("مرحبا بالعالم"),
                                     QStringLiteral("Ελληνικά"),
                                     QStringLiteral("Русский"),
                                     QStringLiteral("€100"),
                                     QStringLiteral("“citazione”"),
                                     QStringLiteral("a\\b"),
                                     QStringLiteral("{graffe}"),
                                     QStringLiteral("tab\there"),
                                     QStringLiteral("nbsp\u00a0x"),
                                     QStringLiteral("soft\u00adhyphen"),
                                     QStringLiteral("nb\u2011hyphen"),
                                     QStringLiteral("riga\u2028nuova"),
                                     QStringLiteral("\u0001ctl"),
                                     QStringLiteral("semplice"),
                                     QStringLiteral("testo"),
                                     QStringLiteral("?"),
                                     QStringLiteral("  spazi  "),
                                     QStringLiteral("ŒœŠš™…")};
    return list;
}

class Generator {
public:
    Generator(QTextDocument& doc, uint32_t seed) : rng_(seed), cursor_(&doc) {}

    void run(int paragraphs) {
        for (int i = 0; i < paragraphs; ++i) {
            if (i > 0)
                cursor_.insertBlock(blockFormat());
            else
                cursor_.setBlockFormat(blockFormat());
            const int kind = pick(12);
            if (kind == 0)
                insertTable();
            else if (kind == 1)
                insertList();
            else
                insertRuns(cursor_, 1 + pick(6));
        }
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    QString text(int count) {
        QStringList parts;
        for (int i = 0; i < count; ++i)
            parts << words()[pick(static_cast<int>(words().size()))];
        return parts.join(' ');
    }

    QTextCharFormat charFormat() {
        QTextCharFormat f;
        if (pick(3) == 0)
            f.setFontWeight(QFont::Bold);
        if (pick(3) == 0)
            f.setFontItalic(true);
        if (pick(5) == 0)
            f.setFontUnderline(true);
        if (pick(8) == 0)
            f.setFontStrikeOut(true);
        if (pick(10) == 0)
            f.setVerticalAlignment(pick(2) ? QTextCharFormat::AlignSuperScript
                                           : QTextCharFormat::AlignSubScript);
        if (pick(4) == 0)
            f.setFontFamilies({pick(2) ? QStringLiteral("DejaVu Sans Mono")
                                       : QStringLiteral("Liberation Serif")});
        if (pick(4) == 0)
            f.setFontPointSize(8 + pick(20) + (pick(2) ? 0.5 : 0));
        if (pick(5) == 0)
            f.setForeground(QColor::fromRgb(pick(256), pick(256), pick(256)));
        if (pick(8) == 0)
            f.setBackground(QColor::fromRgb(pick(256), pick(256), pick(256)));
        return f;
    }

    QTextBlockFormat blockFormat() {
        QTextBlockFormat f;
        const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                        Qt::AlignJustify};
        if (pick(3) == 0)
            f.setAlignment(aligns[pick(4)]);
        if (pick(4) == 0)
            f.setLeftMargin(pick(5) * 12);
        if (pick(6) == 0)
            f.setRightMargin(pick(5) * 8);
        if (pick(6) == 0)
            f.setTextIndent(pick(3) * 20);
        if (pick(5) == 0)
            f.setTopMargin(pick(4) * 6);
        if (pick(5) == 0)
            f.setBottomMargin(pick(4) * 6);
        if (pick(8) == 0)
            f.setHeadingLevel(1 + pick(6));
        if (pick(10) == 0)
            f.setLayoutDirection(Qt::RightToLeft);
        return f;
    }

    void insertRuns(QTextCursor& cursor, int runs) {
        for (int r = 0; r < runs; ++r) {
            QTextCharFormat f = charFormat();
            if (pick(10) == 0) {
                f.setAnchor(true);
                f.setAnchorHref(
                    QStringLiteral("https://example.invalid/pagina?q=%1&x=\"è\"").arg(pick(100)));
            }
            cursor.insertText(text(1 + pick(5)) + (r + 1 < runs ? " " : ""), f);
        }
    }

    void insertList() {
        const QTextListFormat::Style styles[] = {
            QTextListFormat::ListDisc, QTextListFormat::ListDecimal,
            QTextListFormat::ListLowerAlpha, QTextListFormat::ListUpperRoman};
        QTextListFormat lf;
        lf.setStyle(styles[pick(4)]);
        lf.setIndent(1 + pick(2));
        cursor_.setBlockFormat(QTextBlockFormat());
        QTextList* list = cursor_.createList(lf);
        const int items = 2 + pick(3);
        for (int i = 0; i < items; ++i) {
            if (i > 0) {
                cursor_.insertBlock(QTextBlockFormat());
                list->add(cursor_.block());
            }
            insertRuns(cursor_, 1 + pick(3));
        }
        cursor_.insertBlock(QTextBlockFormat());
    }

    void insertTable() {
        const int rows = 1 + pick(4);
        const int columns = 1 + pick(4);
        QTextTable* table = cursor_.insertTable(rows, columns);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                if (pick(5) == 0)
                    continue; // an empty cell
                QTextCursor cell = table->cellAt(r, c).firstCursorPosition();
                insertRuns(cell, 1 + pick(3));
                if (pick(4) == 0) {
                    cell.insertBlock();
                    insertRuns(cell, 1);
                }
            }
        }
        cursor_ = table->lastCursorPosition();
        cursor_.movePosition(QTextCursor::NextBlock);
        insertRuns(cursor_, 1);
    }

    std::mt19937 rng_;
    QTextCursor cursor_;
};

} // namespace

void generateDocument(QTextDocument& doc, uint32_t seed, int paragraphs) {
    doc.clear();
    Generator(doc, seed).run(paragraphs);
}

} // namespace velcaro::rtf::test
