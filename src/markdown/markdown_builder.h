#pragma once

#include "markdown/inline_text.h"
#include "markdown/pipe_table.h"

#include <QString>
#include <memory>
#include <vector>

namespace velcaro::markdown {

// Builds a Markdown document from the blocks and inline content of a page, in document order.
//
// Containers (block quotes, lists, list items, tables) nest up to kMaxDepth; each begin says
// whether it opened one. Where one cannot open (inside a code block or a heading, or deeper
// than kMaxDepth) the begin is a block boundary, and the caller ends it with blockBoundary().
// Inside a heading or a table cell a block boundary or a line break is a space; inside a code
// block it is a new line.
//
// Blocks are separated by a blank line, except list items and a list that follows its item's
// first line, so lists stay tight. A table collects its cells and is written as a pipe table
// when it ends; a heading, list, quote, code block, rule or table that starts inside it makes
// it a layout table, whose cells are written as paragraphs from then on.
class MarkdownBuilder {
public:
    static constexpr std::size_t kMaxDepth = 32;

    bool beginQuote();
    // `start` is the number of an ordered list's first item.
    bool beginList(bool ordered, int start);
    // `number` (>= 0) renumbers an ordered list from this item.
    bool beginItem(int number);
    bool beginTable();
    void endContainer();

    bool beginHeading(int level);
    void endHeading();

    bool beginCode(const QString& language);
    // The language of the open code block, when it has none and no text yet.
    void setCodeLanguage(const QString& language);
    void endCode();
    bool inCode() const { return leaf_ == Leaf::Code; }
    // Text of the open code block, kept as it is; the newline right after the start is not
    // content.
    void codeText(QStringView text);

    void beginRow();
    void endRow();
    void beginCell(int columnSpan, int rowSpan);
    void endCell();

    void rule();
    void blockBoundary();
    void lineBreak();
    void text(QStringView text, const InlineStyle& style);
    void image(QStringView alt, const QString& destination, const InlineStyle& style);

    // The document, every open block ended.
    QString finish();

private:
    enum class Leaf { None, Heading, Code };
    enum class FrameKind { Quote, List, Item, Table, LayoutTable };
    struct Frame {
        explicit Frame(FrameKind kind, QString marker = {})
            : kind(kind), marker(std::move(marker)) {}

        FrameKind kind;
        QString marker;                   // an item's marker and the space after it
        bool started = false;             // an item whose first line is written
        bool ordered = false;             // a list
        bool hasItems = false;            // a list
        int next = 1;                     // an ordered list's next number
        std::unique_ptr<PipeTable> table; // a table still collecting its cells
    };

    // Ends the inline content before a block; false, after a break inside it, when a heading
    // or a code block is open and the block cannot start.
    bool startBlock();
    // The same for a block holding blocks, which also cannot start past the deepest nesting.
    bool startContainer();
    PipeTable* collectingTable();
    void spreadTable();
    void flushParagraph();
    void writeBlock(const QStringList& lines);
    void writeLine(QStringView content);
    void writeBlankLine();

    QString out_;
    std::vector<Frame> frames_;
    InlineText paragraph_;
    InlineText heading_;
    QString code_;
    QString codeLanguage_;
    Leaf leaf_ = Leaf::None;
    int headingLevel_ = 1;
    bool skipNewline_ = false;
    bool needBlank_ = false;
    std::size_t sharedDepth_ = 0; // containers open both at the last line written and now
};

} // namespace velcaro::markdown
