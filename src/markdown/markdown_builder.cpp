#include "markdown/markdown_builder.h"

#include "markdown/markdown_syntax.h"

#include <algorithm>

namespace velcaro::markdown {
namespace {

constexpr int kMaxNumber = 999999999; // the largest number of an ordered list item

} // namespace

bool MarkdownBuilder::startBlock() {
    if (leaf_ != Leaf::None) {
        blockBoundary();
        return false;
    }
    if (collectingTable())
        spreadTable();
    flushParagraph();
    return true;
}

bool MarkdownBuilder::startContainer() {
    return startBlock() && frames_.size() < kMaxDepth;
}

bool MarkdownBuilder::beginQuote() {
    if (!startContainer())
        return false;
    frames_.emplace_back(FrameKind::Quote);
    return true;
}

bool MarkdownBuilder::beginList(bool ordered, int start) {
    if (!startContainer())
        return false;
    // A bullet list, or one numbered from 1, may follow its item's first line directly.
    if (!frames_.empty() && frames_.back().kind == FrameKind::Item && frames_.back().started &&
        (!ordered || start == 1))
        needBlank_ = false;
    Frame list(FrameKind::List);
    list.ordered = ordered;
    list.next = std::clamp(start, 0, kMaxNumber);
    frames_.push_back(std::move(list));
    return true;
}

bool MarkdownBuilder::beginItem(int number) {
    if (!startContainer())
        return false;
    Frame* list =
        !frames_.empty() && frames_.back().kind == FrameKind::List ? &frames_.back() : nullptr;
    QString marker = QStringLiteral("- ");
    if (list && list->ordered) {
        if (number >= 0)
            list->next = std::min(number, kMaxNumber);
        marker = QString::number(list->next) + QLatin1String(". ");
        list->next = std::min(list->next + 1, kMaxNumber);
    }
    if (list && list->hasItems)
        needBlank_ = false;
    if (list)
        list->hasItems = true;
    frames_.emplace_back(FrameKind::Item, marker);
    return true;
}

bool MarkdownBuilder::beginTable() {
    if (!startContainer())
        return false;
    Frame table(FrameKind::Table);
    table.table = std::make_unique<PipeTable>();
    frames_.push_back(std::move(table));
    return true;
}

void MarkdownBuilder::endContainer() {
    if (frames_.empty())
        return;
    flushParagraph();
    Frame& frame = frames_.back();
    if (frame.kind == FrameKind::Table) {
        paragraph_ = frame.table->caption();
        flushParagraph();
        writeBlock(frame.table->lines());
    } else if (frame.kind == FrameKind::List) {
        needBlank_ = true;
    }
    frames_.pop_back();
    sharedDepth_ = std::min(sharedDepth_, frames_.size());
}

bool MarkdownBuilder::beginHeading(int level) {
    if (!startBlock())
        return false;
    leaf_ = Leaf::Heading;
    headingLevel_ = std::clamp(level, 1, 6);
    return true;
}

void MarkdownBuilder::endHeading() {
    leaf_ = Leaf::None;
    InlineText heading = std::move(heading_);
    heading_ = InlineText();
    if (heading.isEmpty())
        return;
    QString line = heading.line(false);
    // A run of # at the end of the line would be read as the heading's closing sequence.
    qsizetype run = line.size();
    while (run > 0 && line[run - 1] == u'#')
        --run;
    if (run < line.size())
        line.insert(run, u'\\');
    writeBlock({QString(headingLevel_, u'#') + u' ' + line});
}

bool MarkdownBuilder::beginCode(const QString& language) {
    if (!startBlock())
        return false;
    leaf_ = Leaf::Code;
    code_.clear();
    codeLanguage_ = language;
    skipNewline_ = true;
    return true;
}

void MarkdownBuilder::setCodeLanguage(const QString& language) {
    if (leaf_ == Leaf::Code && codeLanguage_.isEmpty() && code_.isEmpty())
        codeLanguage_ = language;
}

void MarkdownBuilder::codeText(QStringView text) {
    if (skipNewline_ && !text.isEmpty()) {
        skipNewline_ = false;
        if (text.startsWith(u'\r'))
            text = text.sliced(1);
        if (text.startsWith(u'\n'))
            text = text.sliced(1);
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r')
            code_ += text[i];
        else if (i + 1 == text.size() || text[i + 1] != u'\n')
            code_ += u'\n';
    }
}

void MarkdownBuilder::endCode() {
    leaf_ = Leaf::None;
    QString code = std::move(code_);
    code_.clear();
    if (code.endsWith(u'\n'))
        code.chop(1);
    if (code.trimmed().isEmpty())
        return;
    const QString fence = codeFence(code);
    QStringList lines{fence + codeLanguage_};
    lines += code.split(u'\n');
    lines += fence;
    writeBlock(lines);
}

PipeTable* MarkdownBuilder::collectingTable() {
    if (leaf_ != Leaf::None || frames_.empty() || frames_.back().kind != FrameKind::Table)
        return nullptr;
    return frames_.back().table.get();
}

void MarkdownBuilder::spreadTable() {
    Frame& frame = frames_.back();
    bool lastIsOpen = false;
    std::vector<InlineText> texts = frame.table->takeTexts(lastIsOpen);
    frame.kind = FrameKind::LayoutTable;
    frame.table.reset();
    for (std::size_t k = 0; k < texts.size(); ++k) {
        paragraph_ = std::move(texts[k]);
        if (!lastIsOpen || k + 1 < texts.size())
            flushParagraph();
    }
}

void MarkdownBuilder::beginRow() {
    if (PipeTable* table = collectingTable())
        table->startRow();
    else
        blockBoundary();
}

void MarkdownBuilder::endRow() {
    if (PipeTable* table = collectingTable())
        table->endRow();
    else
        blockBoundary();
}

void MarkdownBuilder::beginCell(int columnSpan, int rowSpan) {
    if (PipeTable* table = collectingTable())
        table->startCell(columnSpan, rowSpan);
    else
        blockBoundary();
}

void MarkdownBuilder::endCell() {
    if (PipeTable* table = collectingTable())
        table->endCell();
    else
        blockBoundary();
}

void MarkdownBuilder::rule() {
    if (startBlock())
        writeBlock({QStringLiteral("***")});
}

void MarkdownBuilder::blockBoundary() {
    if (leaf_ == Leaf::Code) {
        if (!code_.isEmpty() && !code_.endsWith(u'\n'))
            code_ += u'\n';
    } else if (leaf_ == Leaf::Heading) {
        heading_.addBreak();
    } else if (PipeTable* table = collectingTable()) {
        table->addBreak();
    } else {
        flushParagraph();
    }
}

void MarkdownBuilder::lineBreak() {
    if (leaf_ == Leaf::Code)
        code_ += u'\n';
    else if (leaf_ == Leaf::Heading)
        heading_.addBreak();
    else if (PipeTable* table = collectingTable())
        table->addBreak();
    else
        paragraph_.addBreak();
}

void MarkdownBuilder::text(QStringView text, const InlineStyle& style) {
    if (leaf_ == Leaf::Code)
        codeText(text);
    else if (leaf_ == Leaf::Heading)
        heading_.addText(text, style);
    else if (PipeTable* table = collectingTable())
        table->text().addText(text, style);
    else
        paragraph_.addText(text, style);
}

void MarkdownBuilder::image(QStringView alt, const QString& destination, const InlineStyle& style) {
    if (leaf_ == Leaf::Code)
        codeText(alt);
    else if (leaf_ == Leaf::Heading)
        heading_.addImage(alt, destination, style);
    else if (PipeTable* table = collectingTable())
        table->text().addImage(alt, destination, style);
    else
        paragraph_.addImage(alt, destination, style);
}

void MarkdownBuilder::flushParagraph() {
    InlineText paragraph = std::move(paragraph_);
    paragraph_ = InlineText();
    if (paragraph.isEmpty())
        return;
    QStringList lines = paragraph.lines();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        escapeLineStart(lines[i]);
        if (i + 1 < lines.size())
            lines[i] += u'\\';
    }
    writeBlock(lines);
}

void MarkdownBuilder::writeBlock(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    if (needBlank_ && !out_.isEmpty())
        writeBlankLine();
    for (const QString& line : lines)
        writeLine(line);
    needBlank_ = true;
}

void MarkdownBuilder::writeLine(QStringView content) {
    const qsizetype start = out_.size();
    for (Frame& frame : frames_) {
        if (frame.kind == FrameKind::Quote) {
            out_ += QLatin1String("> ");
        } else if (frame.kind == FrameKind::Item) {
            if (frame.started)
                out_ += QString(frame.marker.size(), u' ');
            else
                out_ += frame.marker;
            frame.started = true;
        }
    }
    if (content.isEmpty()) {
        while (out_.size() > start && out_.endsWith(u' '))
            out_.chop(1);
    }
    out_ += content;
    out_ += u'\n';
    sharedDepth_ = frames_.size();
}

void MarkdownBuilder::writeBlankLine() {
    const std::size_t depth = std::min(sharedDepth_, frames_.size());
    for (std::size_t k = 0; k < depth; ++k) {
        if (frames_[k].kind == FrameKind::Quote)
            out_ += QLatin1String("> ");
        else if (frames_[k].kind == FrameKind::Item)
            out_ += QString(frames_[k].marker.size(), u' ');
    }
    while (out_.endsWith(u' '))
        out_.chop(1);
    out_ += u'\n';
}

QString MarkdownBuilder::finish() {
    if (leaf_ == Leaf::Heading)
        endHeading();
    else if (leaf_ == Leaf::Code)
        endCode();
    flushParagraph();
    while (!frames_.empty())
        endContainer();
    return std::move(out_);
}

} // namespace velcaro::markdown
