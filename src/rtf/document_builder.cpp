#include "rtf/document_builder.h"

#include "rtf/list_style.h"
#include "rtf/text_structure.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

namespace velcaro::rtf {
namespace {

bool sameList(const ParaProps& a, const ParaProps& b) {
    return a.list == b.list && a.listLevel == b.listLevel && a.listId == b.listId;
}

// Replaces surrogate halves that are not part of a pair by U+FFFD, from `from` on.
void repairSurrogates(std::u16string& text, std::size_t from) {
    const std::size_t n = text.size();
    for (std::size_t i = from; i < n; ++i) {
        if (!QChar::isSurrogate(text[i]))
            continue;
        if (QChar::isHighSurrogate(text[i]) && i + 1 < n && QChar::isLowSurrogate(text[i + 1]))
            ++i;
        else
            text[i] = QChar::ReplacementCharacter;
    }
}

} // namespace

DocumentBuilder::DocumentBuilder(QTextDocument& doc, const RtfTables& tables)
    : tables_(tables), cursor_(&doc) {
    runChar_.font = -2; // matches no real formatting: the first run sets it
}

int DocumentBuilder::codePageOf(const CharProps& chr) {
    if (chr.font == codePageFont_)
        return codePage_;
    auto font = tables_.fonts.constFind(chr.font);
    codePageFont_ = chr.font;
    codePage_ =
        font != tables_.fonts.constEnd() && font->codePage > 0 ? font->codePage : tables_.codePage;
    return codePage_;
}

void DocumentBuilder::tablesChanged() {
    flushRun();
    formatCache_.clear();
    formatCacheNext_ = 0;
    codePageFont_ = -2;
}

const QTextCharFormat& DocumentBuilder::charFormat(const CharProps& c) {
    for (const auto& [props, format] : formatCache_) {
        if (props == c)
            return format;
    }
    constexpr std::size_t kCacheSize = 16;
    if (formatCache_.size() < kCacheSize) {
        formatCache_.emplace_back(c, makeCharFormat(c));
        return formatCache_.back().second;
    }
    auto& slot = formatCache_[formatCacheNext_];
    formatCacheNext_ = (formatCacheNext_ + 1) % kCacheSize;
    slot = {c, makeCharFormat(c)};
    return slot.second;
}

QTextCharFormat DocumentBuilder::makeCharFormat(const CharProps& c) const {
    QTextCharFormat f;
    if (c.bold)
        f.setFontWeight(QFont::Bold);
    if (c.italic)
        f.setFontItalic(true);
    if (c.underline)
        f.setFontUnderline(true);
    if (c.strike)
        f.setFontStrikeOut(true);
    if (c.vertical > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (c.vertical < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    auto font = tables_.fonts.constFind(c.font);
    if (font != tables_.fonts.constEnd() && !font->family.isEmpty())
        f.setFontFamilies(QStringList{font->family});
    if (c.halfPoints > 0)
        f.setFontPointSize(c.halfPoints / 2.0);
    const auto colorAt = [this](int index) {
        return index > 0 && index < static_cast<int>(tables_.colors.size()) ? tables_.colors[index]
                                                                            : QColor();
    };
    if (const QColor fg = colorAt(c.color); fg.isValid())
        f.setForeground(fg);
    if (const QColor bg = colorAt(c.background); bg.isValid())
        f.setBackground(bg);
    if (c.link > 0 && c.link <= tables_.links.size()) {
        f.setAnchor(true);
        f.setAnchorHref(tables_.links[c.link - 1]);
    }
    return f;
}

QTextBlockFormat DocumentBuilder::blockFormat(const ParaProps& p) const {
    QTextBlockFormat f;
    switch (p.align) {
    case Align::Center:
        f.setAlignment(Qt::AlignHCenter);
        break;
    case Align::Right:
        f.setAlignment(Qt::AlignRight);
        break;
    case Align::Justify:
        f.setAlignment(Qt::AlignJustify);
        break;
    case Align::Left:
        break;
    }
    if (p.rightToLeft)
        f.setLayoutDirection(Qt::RightToLeft);
    int left = p.left;
    int first = p.firstLine;
    if (p.list != ListStyle::None) {
        // The list's own indentation is not part of the paragraph's margin in Qt.
        const int indentWidth = static_cast<int>(cursor_.document()->indentWidth());
        left = qMax(0, left - (p.listLevel + 1) * indentWidth * kTwipsPerPixel);
        first = qMin(0, first + 360);
    }
    if (left)
        f.setLeftMargin(left / double(kTwipsPerPixel));
    if (p.right)
        f.setRightMargin(p.right / double(kTwipsPerPixel));
    if (first)
        f.setTextIndent(first / double(kTwipsPerPixel));
    if (p.before)
        f.setTopMargin(p.before / double(kTwipsPerPixel));
    if (p.after)
        f.setBottomMargin(p.after / double(kTwipsPerPixel));
    if (p.headingLevel > 0)
        f.setHeadingLevel(p.headingLevel);
    return f;
}

void DocumentBuilder::flushBytes() {
    if (runBytes_.isEmpty())
        return;
    decoder_.append(runCodePage_, runBytes_, runText_);
    runBytes_.resize(0); // keeps the buffer
}

void DocumentBuilder::flushRun() {
    flushBytes();
    if (runText_.empty())
        return;
    if (runSurrogatesFrom_ != std::u16string::npos) {
        repairSurrogates(runText_, runSurrogatesFrom_);
        runSurrogatesFrom_ = std::u16string::npos;
    }
    // Qt copies the text into the document: the run's buffer can lend it.
    const QString text = QString::fromRawData(reinterpret_cast<const QChar*>(runText_.data()),
                                              static_cast<qsizetype>(runText_.size()));
    cursor_.insertText(text, charFormat(runChar_));
    runText_.clear(); // keeps the buffer
}

void DocumentBuilder::prepare(const CharProps& chr, const ParaProps& para) {
    // The block needs work only for a pending paragraph end or a table open or wanted.
    if (pendingPar_ || para.inTable || table_)
        ensureBlock(para);
    if (chr != runChar_) {
        flushRun();
        runChar_ = chr;
    }
    hasContent_ = true;
}

void DocumentBuilder::appendBytes(QByteArrayView bytes, const CharProps& chr,
                                  const ParaProps& para) {
    prepare(chr, para);
    const int codePage = codePageOf(chr);
    if (codePage == 1252) {
        // The common case: straight into the run's text, no byte buffer.
        flushBytes();
        appendCp1252(bytes, runText_);
        return;
    }
    if (codePage != runCodePage_) {
        flushBytes();
        runCodePage_ = codePage;
    }
    runBytes_.append(bytes.data(), bytes.size());
}

void DocumentBuilder::appendChars(QStringView chars, const CharProps& chr, const ParaProps& para) {
    prepare(chr, para);
    flushBytes();
    for (QChar c : chars) {
        if (c.isSurrogate() && runSurrogatesFrom_ == std::u16string::npos)
            runSurrogatesFrom_ = runText_.size();
        const char16_t u = c.unicode();
        runText_.push_back(isTextStructure(u) ? char16_t(QChar::ReplacementCharacter) : u);
    }
}

void DocumentBuilder::ensureBlock(const ParaProps& para) {
    if (table_ && !para.inTable)
        endTable();
    if (para.inTable)
        ensureCell();
    if (pendingPar_) {
        if (blockFormatKnown_ && para == blockPara_ && para.list == ListStyle::None && !table_) {
            // Same paragraph format as the block before: the break goes into the run's text,
            // and Qt makes the block when the run is inserted, with that same format.
            runText_.push_back(QChar::ParagraphSeparator);
            pendingPar_ = false;
            return;
        }
        flushRun();
        cursor_.insertBlock(blockFormat(para), QTextCharFormat());
        blockPara_ = para;
        blockFormatKnown_ = true;
        pendingPar_ = false;
    }
}

void DocumentBuilder::ensureCell() {
    if (!table_) {
        flushRun();
        table_ = cursor_.insertTable(1, qBound(1, rowCells_, kMaxColumns));
        row_ = 0;
        column_ = 0;
        rowPending_ = false;
        cellPending_ = false;
        pendingPar_ = false;
        blockFormatKnown_ = false;
        previousInList_ = false;
        return;
    }
    if (rowPending_) {
        // Qt rebuilds a table's cell grid after each change of its rows, so rows are added
        // in growing batches (the spare ones go when the table ends): linear, not quadratic.
        if (row_ + 1 >= table_->rows())
            table_->appendRows(qMax(1, table_->rows()));
        ++row_;
        column_ = 0;
        rowPending_ = false;
        cellPending_ = true;
    }
    if (cellPending_) {
        flushRun();
        cellPending_ = false;
        blockFormatKnown_ = false;
        previousInList_ = false;
        if (column_ >= kMaxColumns) {
            // Adding a column costs a cell in every row: past the limit, the extra cells'
            // text goes into the last cell of the row as paragraphs of their own.
            column_ = kMaxColumns - 1;
            cursor_ = table_->cellAt(row_, column_).lastCursorPosition();
            pendingPar_ = true;
            return;
        }
        if (column_ >= table_->columns())
            table_->appendColumns(column_ - table_->columns() + 1);
        cursor_ = table_->cellAt(row_, column_).firstCursorPosition();
        pendingPar_ = false;
    }
}

void DocumentBuilder::trimTable() {
    const int spare = table_->rows() - (row_ + 1);
    if (spare > 0)
        table_->removeRows(row_ + 1, spare);
}

void DocumentBuilder::endTable() {
    flushRun();
    trimTable();
    cursor_.setPosition(table_->lastPosition() + 1);
    table_ = nullptr;
    pendingPar_ = false;
    blockFormatKnown_ = false;
    previousInList_ = false;
}

void DocumentBuilder::finishParagraph(const ParaProps& para) {
    if (blockFormatKnown_ && para == blockPara_ && para.list == ListStyle::None) {
        previousInList_ = false;
        return;
    }
    flushRun();
    if (!blockFormatKnown_ || para != blockPara_) {
        cursor_.setBlockFormat(blockFormat(para));
        blockPara_ = para;
        blockFormatKnown_ = true;
    }
    if (para.list == ListStyle::None) {
        previousInList_ = false;
        return;
    }
    // Qt marks every block of a list dirty each time one is added, so a list costs time
    // quadratic in its length. Bulleted lists look the same cut into pieces, so long ones
    // are. Numbered ones would restart their numbers (Qt 6.4 lists have no start number), so
    // only absurdly long ones are cut, to keep hostile input from taking hours.
    constexpr int kBulletListPiece = 32;
    constexpr int kNumberedListPiece = 1000;
    const int piece = para.list == ListStyle::Bullet ? kBulletListPiece : kNumberedListPiece;
    if (list_ && previousInList_ && sameList(para, listPara_) && listItems_ < piece) {
        list_->add(cursor_.block());
        ++listItems_;
    } else {
        listItems_ = 1;
        QTextListFormat format;
        format.setStyle(qtListStyle(para.list));
        format.setIndent(para.listLevel + 1);
        list_ = cursor_.createList(format);
        listPara_ = para;
    }
    previousInList_ = true;
}

void DocumentBuilder::paragraphBreak(const ParaProps& para) {
    ensureBlock(para);
    finishParagraph(para);
    pendingPar_ = true;
}

void DocumentBuilder::endCell(const ParaProps& para) {
    ParaProps cellPara = para;
    cellPara.inTable = true;
    ensureBlock(cellPara);
    finishParagraph(cellPara);
    pendingPar_ = false;
    ++column_;
    cellPending_ = true;
}

void DocumentBuilder::endRow() {
    if (!table_)
        return;
    flushRun();
    rowPending_ = true;
    cellPending_ = false;
    pendingPar_ = false;
}

void DocumentBuilder::finish(const ParaProps& para) {
    flushRun();
    if (table_)
        trimTable();
    // Nothing to finish when the last paragraph was ended already (by \par or \cell).
    const bool ended = pendingPar_ || cellPending_ || rowPending_ || (table_ && !para.inTable);
    if (!ended && hasContent_)
        finishParagraph(para);
}

} // namespace velcaro::rtf
