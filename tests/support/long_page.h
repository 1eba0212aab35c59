#pragma once

// A long, ordinary page for printing: headings and paragraphs of Italian prose, about
// `printedPages` A4 pages once printed. Deterministic, so every run prints the same page.

#include <QByteArray>

namespace velcaro::testing {

inline QByteArray makeLongPage(int printedPages) {
    // About nine paragraphs of this size fill an A4 page at the engine's default font.
    static const QByteArray paragraph =
        "Questo manuale descrive l'uso del programma passo per passo: l'apertura di una "
        "pagina, la stampa, l'anteprima e la copia del testo. Perché sia più facile da "
        "seguire, ogni capitolo è diviso in sezioni brevi, e ogni sezione termina con un "
        "esempio che si può provare subito, così che nulla resti solo sulla carta.";
    QByteArray html = "<!DOCTYPE html><html><head><meta charset='utf-8'>"
                      "<title>Manuale</title></head><body>";
    for (int page = 1; page <= printedPages; ++page) {
        html += "<h2>Capitolo " + QByteArray::number(page) + "</h2>";
        for (int p = 0; p < 9; ++p)
            html += "<p>" + paragraph + "</p>";
    }
    return html + "</body></html>";
}

} // namespace velcaro::testing
