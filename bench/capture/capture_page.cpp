#include "capture_page.h"

#include <array>

namespace velcaro::bench {
namespace {

const std::array<const char*, 8> kWords = {
    "perché", "la città", "è più", "così", "日本語の", "中文段落", "🙂🚀🍕", "caffè già",
};

QByteArray tableOf(int rows) {
    QByteArray table = "<table border='1'><tr><th>N.</th><th>Valuta</th><th>Città</th>"
                       "<th>Cambio</th><th>Nota</th></tr>\n";
    for (int r = 0; r < rows; ++r)
        table += "<tr><td>" + QByteArray::number(r) + "</td><td>Yen ¥</td><td>Forlì</td><td>" +
                 QByteArray::number(100 + r % 97) + ",5</td><td>東京 🙂</td></tr>\n";
    return table + "</table>\n";
}

} // namespace

QByteArray makeCapturePage(int paragraphs, int rows, qsizetype targetBytes) {
    const QByteArray head = "<!DOCTYPE html><html><head><meta charset='utf-8'>"
                            "<title>Prova di cattura</title></head><body>\n";
    const QByteArray tail = tableOf(rows) + "<p>Fine pagina.</p></body></html>\n";
    const qsizetype perParagraph = (targetBytes - head.size() - tail.size()) / paragraphs;

    QByteArray page = head;
    page.reserve(targetBytes + 1024);
    for (int p = 0; p < paragraphs; ++p) {
        QByteArray para =
            "<p>Paragrafo " + QByteArray::number(p) +
            ": <b>Perché la città è così bella</b>, disse <i>Niccolò</i> "
            "<a href='#p'>al caffè</a>; <span style='color:#a03'>日本語 🙂</span>";
        for (int w = p;; ++w) {
            const QByteArray word = ' ' + QByteArray(kWords[w % kWords.size()]);
            if (para.size() + word.size() + 5 > perParagraph) // 5: the closing "</p>\n"
                break;
            para += word;
        }
        page += para + "</p>\n";
    }
    return page + tail;
}

} // namespace velcaro::bench
