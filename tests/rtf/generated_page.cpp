#include "generated_page.h"

#include <random>

namespace velcaro::rtf::test {

QByteArray generatedPage(uint32_t seed) {
    std::mt19937 rng(seed);
    const auto pick = [&](int n) {
        return std::uniform_int_distribution<int>(0, n - 1)(rng);
    };
    const char* words[] = {"perché",    "città",  "il",        "testo",        "&amp;",
                           "&lt;b&gt;", "&nbsp;", "€",         "“virgolette”", "Ελληνικά",
                           "x",         "lungo",  "  spazi  ", "\n a capo"};
    const auto sentence = [&](int n) {
        QByteArray out;
        for (int i = 0; i < n; ++i) {
            out += words[pick(14)];
            out += pick(5) ? " " : "\n\t ";
        }
        return out;
    };
    const char* inlineTags[] = {"b", "i", "u", "s", "em", "strong", "code", "sub", "sup", "span"};
    QByteArray html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>";
    for (int block = 0; block < 120; ++block) {
        switch (pick(7)) {
        case 0: {
            html += "<ul>";
            for (int i = 0, n = 1 + pick(4); i < n; ++i)
                html += "<li>" + sentence(1 + pick(6)) + "</li>";
            html += "</ul>";
            break;
        }
        case 1: {
            html += "<table>";
            for (int r = 0, rows = 1 + pick(3); r < rows; ++r) {
                html += "<tr>";
                for (int c = 0; c < 3; ++c)
                    html += "<td>" + (pick(4) ? sentence(1 + pick(3)) : QByteArray()) + "</td>";
                html += "</tr>";
            }
            html += "</table>";
            break;
        }
        case 2:
            html += "<div><div>" + sentence(3) + "<br>" + sentence(2) + "</div></div>";
            break;
        case 3:
            html += "<h" + QByteArray::number(1 + pick(6)) + ">" + sentence(3) + "</h" +
                    QByteArray::number(1 + pick(6)) + ">";
            break;
        default: {
            const QByteArray tag = pick(2) ? "p" : "div";
            html += "<" + tag + " style=\"text-align: " + (pick(3) ? "left" : "center") + "\">";
            for (int i = 0, n = 1 + pick(5); i < n; ++i) {
                const char* t = inlineTags[pick(10)];
                html +=
                    sentence(1 + pick(4)) + "<" + t + ">" + sentence(1 + pick(3)) + "</" + t + ">";
            }
            html += "</" + tag + ">";
        }
        }
    }
    return html + "</body></html>";
}

} // namespace velcaro::rtf::test
