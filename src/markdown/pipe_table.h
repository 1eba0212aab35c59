#pragma once

#include "markdown/inline_text.h"

#include <QStringList>
#include <vector>

namespace velcaro::markdown {

// A table collected row by row and written as a pipe table: the first row is the header row,
// every row has as many cells as the widest (rows are padded with empty cells), and a cell
// spanning columns or rows fills the first position it covers, the others left blank, so that
// its text comes once, as in the engine's plain copy. Cells past the 64th of a row go into the
// 64th, separated by a space.
class PipeTable {
public:
    static constexpr int kMaxColumns = 64;

    void startRow();
    void endRow();
    void startCell(int columnSpan, int rowSpan);
    void endCell();

    // Where the table's text goes now: the open cell; a cell opened for text outside any cell
    // of an open row; the caption when no row is open.
    InlineText& text();
    // A break in the open cell or, when no row is open, in the caption.
    void addBreak();

    // The caption and each cell with content, in order, taken out of the table; `lastIsOpen`
    // says whether the last one is the cell still open.
    std::vector<InlineText> takeTexts(bool& lastIsOpen);

    const InlineText& caption() const { return caption_; }
    // The pipe table's lines, none when no cell has content.
    QStringList lines() const;

private:
    InlineText& openCell() { return rows_.back()[cell_]; }

    std::vector<std::vector<InlineText>> rows_;
    std::vector<std::size_t> coveredUntil_; // per column, the first row no span above covers
    InlineText caption_;
    bool rowOpen_ = false;
    bool cellOpen_ = false;
    std::size_t cell_ = 0;
};

} // namespace velcaro::markdown
