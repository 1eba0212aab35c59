#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace velcaro::markdown {

// Emphasis bits of a piece.
inline constexpr uint8_t kItalic = 1;
inline constexpr uint8_t kBold = 2;

// One piece of a line of inline Markdown: escaped text, a code span or an image, already
// written, or the white space between them.
struct Piece {
    QString md;
    uint8_t emphasis = 0;
    bool isSpace = false;
    int link = 0;                        // the link it belongs to, 0 for none
    const QString* linkTarget = nullptr; // that link's destination

    static Piece space(QStringView text, int link) { return {text.toString(), 0, true, link}; }
    static Piece content(QString md, uint8_t emphasis, int link, const QString* linkTarget) {
        return {std::move(md), emphasis, false, link, linkTarget};
    }
};

// The line the pieces make: each run of pieces of one link inside [text](destination), then
// emphasis delimiters around the longest runs that share an emphasis, white space at the ends
// of the line, of links and of emphasis moved out or dropped. Consumes the pieces.
QString writeInline(std::vector<Piece>& pieces);

} // namespace velcaro::markdown
