#include "bench_documents.h"

#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

namespace velcaro::rtf::bench {
namespace {

const QStringList& words() {
    static const QStringList list = {
        QStringLiteral("il"),      QStringLiteral("testo"), QStringLiteral("perché"),
        QStringLiteral("città"),   QStringLiteral("della"), QStringLiteral("pagina"),
        QStringLiteral("copiato"), QStringLiteral("東京"),  QStringLiteral("Ελληνικά"),
        QStringLiteral("più"),     QStringLiteral("😀"),     QStringLiteral("formattazione"),
        QStringLiteral("e"),       QStringLiteral("un"),    QStringLiteral("documento"),
        QStringLiteral("lungo"),   QStringLiteral("€"),     QStringLiteral("“citato”")};
    return list;
}

QString sentence(int seed, int count) {
    QString s;
    for (int i = 0; i < count; ++i) {
        if (i)
            s += QLatin1Char(' ');
        s += words()[(seed * 7 + i * 13) % words().size()];
    }
    return s;
}

const char* kStyle =
    "color: rgb(32, 33, 34); font-family: sans-serif; font-size: 14px; font-style: normal; "
    "font-variant-ligatures: normal; font-variant-caps: normal; font-weight: 400; "
    "letter-spacing: normal; orphans: 2; text-align: start; text-indent: 0px; "
    "text-transform: none; white-space: normal; widows: 2; word-spacing: 0px; "
    "-webkit-text-stroke-width: 0px; background-color: rgb(255, 255, 255); "
    "text-decoration-thickness: initial; text-decoration-style: initial; "
    "text-decoration-color: initial;";

} // namespace

void makeDocument(QTextDocument& doc, qsizetype textBytes, int tableRows) {
    doc.clear();
    QTextCursor c(&doc);
    qsizetype written = 0;
    bool tableDone = tableRows <= 0;
    const int listItems = static_cast<int>(textBytes / 1000);
    bool listDone = listItems <= 0;
    QTextCharFormat formats[6];
    formats[1].setFontWeight(QFont::Bold);
    formats[2].setFontItalic(true);
    formats[3].setFontUnderline(true);
    formats[3].setForeground(QColor(200, 30, 30));
    formats[4].setFontPointSize(14);
    formats[4].setFontFamilies({QStringLiteral("DejaVu Sans Mono")});
    formats[5].setBackground(QColor(255, 255, 160));
    for (int p = 0; written < textBytes; ++p) {
        if (p > 0)
            c.insertBlock();
        if (p % 40 == 0) {
            QTextBlockFormat heading;
            heading.setHeadingLevel(2);
            c.setBlockFormat(heading);
            c.insertText(sentence(p, 5), formats[1]);
            c.insertBlock(QTextBlockFormat());
        }
        // A paragraph of about 500 characters: mostly plain text with a few formatted
        // phrases in it, as web pages and letters have.
        for (int r = 0; r < 5; ++r) {
            const bool plainRun = r % 2 == 0;
            const QString s = sentence(p + r, plainRun ? 24 : 4) + QLatin1Char(' ');
            c.insertText(s, plainRun ? formats[0] : formats[1 + (p + r) % 5]);
            written += s.size();
        }
        if (!listDone && written >= textBytes * 3 / 4) {
            // A long bulleted list, as the links or index of a long page.
            c.insertBlock();
            QTextList* list = c.createList(QTextListFormat::ListDisc);
            for (int i = 0; i < listItems; ++i) {
                if (i > 0) {
                    c.insertBlock();
                    list->add(c.block());
                }
                const QString s = sentence(p + i, 6);
                c.insertText(s, formats[i % 3 == 0 ? 2 : 0]);
                written += s.size();
            }
            c.insertBlock(QTextBlockFormat());
            listDone = true;
        }
        if (!tableDone && written >= textBytes / 2) {
            QTextTable* table = c.insertTable(tableRows, 3);
            for (int r = 0; r < tableRows; ++r)
                for (int col = 0; col < 3; ++col)
                    table->cellAt(r, col).firstCursorPosition().insertText(sentence(r + col, 3));
            c = table->lastCursorPosition();
            c.movePosition(QTextCursor::NextBlock);
            tableDone = true;
        }
    }
}

QByteArray makeEngineHtml(qsizetype htmlBytes, int tableRows) {
    const QByteArray style = QByteArray(" style=\"") + kStyle + "\"";
    QByteArray html;
    html.reserve(htmlBytes + 4096);
    bool tableDone = tableRows <= 0;
    const int listItems = static_cast<int>(htmlBytes / 3000);
    bool listDone = listItems <= 0;
    const auto element = [&](const char* tag, const QByteArray& extraStyle,
                             const QByteArray& content, const QByteArray& attributes = {}) {
        html += '<';
        html += tag;
        html += attributes;
        html += " style=\"";
        html += kStyle;
        html += extraStyle;
        html += "\">";
        html += content;
        html += "</";
        html += tag;
        html += '>';
    };
    for (int p = 0; html.size() < htmlBytes; ++p) {
        if (p % 40 == 0)
            element("h2", " font-weight: 700; font-size: 24px;", sentence(p, 5).toUtf8());
        html += "<p" + style + ">";
        html += sentence(p, 24).toUtf8();
        element("span", {}, " ");
        element("b", " font-weight: 700;", sentence(p + 1, 4).toUtf8());
        element("span", {}, " ");
        html += sentence(p + 2, 24).toUtf8();
        element("span", {}, " ");
        element("a", " color: rgb(51, 102, 204); text-decoration: underline;",
                sentence(p + 3, 4).toUtf8(),
                " href=\"https://example.invalid/" + QByteArray::number(p) + "\"");
        element("span", {}, " ");
        html += sentence(p + 4, 24).toUtf8();
        html += "</p>";
        if (!listDone && html.size() >= htmlBytes * 3 / 4) {
            html += "<ul" + style + ">";
            for (int i = 0; i < listItems; ++i)
                element("li", {}, sentence(p + i, 6).toUtf8());
            html += "</ul>";
            listDone = true;
        }
        if (!tableDone && html.size() >= htmlBytes / 2) {
            html += "<table" + style + "><tbody" + style + ">";
            for (int r = 0; r < tableRows; ++r) {
                html += "<tr" + style + ">";
                for (int col = 0; col < 3; ++col)
                    element("td", " border: 1px solid rgb(0, 0, 0); padding: 2px;",
                            sentence(r + col, 3).toUtf8());
                html += "</tr>";
            }
            html += "</tbody></table>";
            tableDone = true;
        }
    }
    return html;
}

} // namespace velcaro::rtf::bench
