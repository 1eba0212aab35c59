#include "rtf/document_builder.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

namespace velcaro::rtf {
namespace {

QTextListFormat::Style qtListStyle(ListStyle style) {
    switch (style) {
    case ListStyle::Decimal:
        return QTextListFormat::ListDecimal;
    case ListStyle::LowerAlpha:
        return QTextListFormat::ListLowerAlpha;
    case ListStyle::UpperAlpha:
        return QTextListFormat::ListUpperAlpha;
    case ListStyle::LowerRoman:
        return QTextListFormat::ListLowerRoman;
    case ListStyle::UpperRoman:
        return QTextListFormat::ListUpperRoman;
    default:
        return QTextListFormat::ListDisc;
    }
}

bool sameList(const ParaProps& a, const ParaProps& b) {
    return a.list == b.list && a.listLevel == b.listLevel && a.listId == b.listId;
}

// Replaces surrogate halves that are not part of a pair by U+FFFD.
void repairSurrogates(QString& text) {
    QChar* s = text.data();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i].isHighSurrogate() && i + 1 < n && s[i + 1].isLowSurrogate())
            ++i;
        else if (s[i].isSurrogate())
            s[i] = QChar::ReplacementCharacter;
    }
}

} // namespace

DocumentBuilder::DocumentBuilder(QTextDocument& doc, const RtfTables& tables)
    : m_tables(tables), m_cursor(&doc) {
    m_runChar.font = -2; // matches no real formatting: the first run sets it
}

int DocumentBuilder::codePageOf(const CharProps& chr) {
    if (chr.font == m_codePageFont)
        return m_codePage;
    auto font = m_tables.fonts.constFind(chr.font);
    m_codePageFont = chr.font;
    m_codePage = font != m_tables.fonts.constEnd() && font->codePage > 0 ? font->codePage
                                                                         : m_tables.codePage;
    return m_codePage;
}

void DocumentBuilder::tablesChanged() {
    flushRun();
    m_formatCache.clear();
    m_formatCacheNext = 0;
    m_codePageFont = -2;
}

const QTextCharFormat& DocumentBuilder::charFormat(const CharProps& c) {
    for (const auto& [props, format] : m_formatCache) {
        if (props == c)
            return format;
    }
    constexpr std::size_t kCacheSize = 16;
    if (m_formatCache.size() < kCacheSize) {
        m_formatCache.emplace_back(c, makeCharFormat(c));
        return m_formatCache.back().second;
    }
    auto& slot = m_formatCache[m_formatCacheNext];
    m_formatCacheNext = (m_formatCacheNext + 1) % kCacheSize;
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
    auto font = m_tables.fonts.constFind(c.font);
    if (font != m_tables.fonts.constEnd() && !font->family.isEmpty())
        f.setFontFamilies(QStringList{font->family});
    if (c.halfPoints > 0)
        f.setFontPointSize(c.halfPoints / 2.0);
    const auto colorAt = [this](int index) {
        return index > 0 && index < static_cast<int>(m_tables.colors.size())
                   ? m_tables.colors[index]
                   : QColor();
    };
    if (const QColor fg = colorAt(c.color); fg.isValid())
        f.setForeground(fg);
    if (const QColor bg = colorAt(c.background); bg.isValid())
        f.setBackground(bg);
    if (c.link > 0 && c.link <= m_tables.links.size()) {
        f.setAnchor(true);
        f.setAnchorHref(m_tables.links[c.link - 1]);
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
        const int indentWidth = static_cast<int>(m_cursor.document()->indentWidth());
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
    if (m_runBytes.isEmpty())
        return;
    m_decoder.append(m_runCodePage, m_runBytes, m_runText);
    m_runBytes.resize(0); // keeps the buffer
}

void DocumentBuilder::flushRun() {
    flushBytes();
    if (m_runText.isEmpty())
        return;
    repairSurrogates(m_runText);
    m_cursor.insertText(m_runText, charFormat(m_runChar));
    m_runText.resize(0); // keeps the buffer
}

void DocumentBuilder::prepare(const CharProps& chr, const ParaProps& para) {
    ensureBlock(para);
    if (chr != m_runChar) {
        flushRun();
        m_runChar = chr;
    }
    m_hasContent = true;
}

void DocumentBuilder::appendBytes(QByteArrayView bytes, const CharProps& chr,
                                  const ParaProps& para) {
    prepare(chr, para);
    const int codePage = codePageOf(chr);
    if (codePage == 1252) {
        // The common case: straight into the run's text, no byte buffer.
        flushBytes();
        if (bytes.size() == 1)
            m_runText += QChar(cp1252ToUnicode(static_cast<unsigned char>(bytes[0])));
        else
            m_decoder.append(1252, bytes, m_runText);
        return;
    }
    if (codePage != m_runCodePage) {
        flushBytes();
        m_runCodePage = codePage;
    }
    m_runBytes.append(bytes.data(), bytes.size());
}

void DocumentBuilder::appendChars(QStringView chars, const CharProps& chr, const ParaProps& para) {
    prepare(chr, para);
    flushBytes();
    const qsizetype start = m_runText.size();
    m_runText.append(chars);
    // Characters that Qt takes as document structure are not text.
    QChar* s = m_runText.data();
    for (qsizetype i = start; i < m_runText.size(); ++i) {
        const char16_t c = s[i].unicode();
        if (c == u'\n' || c == u'\r' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1 || c == 0xFDD2)
            s[i] = QChar::ReplacementCharacter;
    }
}

void DocumentBuilder::ensureBlock(const ParaProps& para) {
    if (m_table && !para.inTable)
        endTable();
    if (para.inTable)
        ensureCell();
    if (m_pendingPar) {
        if (m_blockFormatKnown && para == m_blockPara && para.list == ListStyle::None && !m_table) {
            // Same paragraph format as the block before: the break goes into the run's text,
            // and Qt makes the block when the run is inserted, with that same format.
            m_runText += QChar(QChar::ParagraphSeparator);
            m_pendingPar = false;
            return;
        }
        flushRun();
        m_cursor.insertBlock(blockFormat(para), QTextCharFormat());
        m_blockPara = para;
        m_blockFormatKnown = true;
        m_pendingPar = false;
    }
}

void DocumentBuilder::ensureCell() {
    if (!m_table) {
        flushRun();
        m_table = m_cursor.insertTable(1, qBound(1, m_rowCells, kMaxColumns));
        m_row = 0;
        m_column = 0;
        m_rowPending = false;
        m_cellPending = false;
        m_pendingPar = false;
        m_blockFormatKnown = false;
        m_previousInList = false;
        return;
    }
    if (m_rowPending) {
        // Qt rebuilds a table's cell grid after each change of its rows, so rows are added
        // in growing batches (the spare ones go when the table ends): linear, not quadratic.
        if (m_row + 1 >= m_table->rows())
            m_table->appendRows(qMax(1, m_table->rows()));
        ++m_row;
        m_column = 0;
        m_rowPending = false;
        m_cellPending = true;
    }
    if (m_cellPending) {
        flushRun();
        m_cellPending = false;
        m_blockFormatKnown = false;
        m_previousInList = false;
        if (m_column >= kMaxColumns) {
            // Adding a column costs a cell in every row: past the limit, the extra cells'
            // text goes into the last cell of the row as paragraphs of their own.
            m_column = kMaxColumns - 1;
            m_cursor = m_table->cellAt(m_row, m_column).lastCursorPosition();
            m_pendingPar = true;
            return;
        }
        if (m_column >= m_table->columns())
            m_table->appendColumns(m_column - m_table->columns() + 1);
        m_cursor = m_table->cellAt(m_row, m_column).firstCursorPosition();
        m_pendingPar = false;
    }
}

void DocumentBuilder::trimTable() {
    const int spare = m_table->rows() - (m_row + 1);
    if (spare > 0)
        m_table->removeRows(m_row + 1, spare);
}

void DocumentBuilder::endTable() {
    flushRun();
    trimTable();
    m_cursor.setPosition(m_table->lastPosition() + 1);
    m_table = nullptr;
    m_pendingPar = false;
    m_blockFormatKnown = false;
    m_previousInList = false;
}

void DocumentBuilder::finishParagraph(const ParaProps& para) {
    if (m_blockFormatKnown && para == m_blockPara && para.list == ListStyle::None) {
        m_previousInList = false;
        return;
    }
    flushRun();
    if (!m_blockFormatKnown || para != m_blockPara) {
        m_cursor.setBlockFormat(blockFormat(para));
        m_blockPara = para;
        m_blockFormatKnown = true;
    }
    if (para.list == ListStyle::None) {
        m_previousInList = false;
        return;
    }
    // Qt marks every block of a list dirty each time one is added, so a list costs time
    // quadratic in its length. Bulleted lists look the same cut into pieces, so long ones
    // are. Numbered ones would restart their numbers (Qt 6.4 lists have no start number), so
    // only absurdly long ones are cut, to keep hostile input from taking hours.
    constexpr int kBulletListPiece = 32;
    constexpr int kNumberedListPiece = 1000;
    const int piece = para.list == ListStyle::Bullet ? kBulletListPiece : kNumberedListPiece;
    if (m_list && m_previousInList && sameList(para, m_listPara) && m_listItems < piece) {
        m_list->add(m_cursor.block());
        ++m_listItems;
    } else {
        m_listItems = 1;
        QTextListFormat format;
        format.setStyle(qtListStyle(para.list));
        format.setIndent(para.listLevel + 1);
        m_list = m_cursor.createList(format);
        m_listPara = para;
    }
    m_previousInList = true;
}

void DocumentBuilder::paragraphBreak(const ParaProps& para) {
    ensureBlock(para);
    finishParagraph(para);
    m_pendingPar = true;
}

void DocumentBuilder::endCell(const ParaProps& para) {
    ParaProps cellPara = para;
    cellPara.inTable = true;
    ensureBlock(cellPara);
    finishParagraph(cellPara);
    m_pendingPar = false;
    ++m_column;
    m_cellPending = true;
}

void DocumentBuilder::endRow() {
    if (!m_table)
        return;
    flushRun();
    m_rowPending = true;
    m_cellPending = false;
    m_pendingPar = false;
}

void DocumentBuilder::finish(const ParaProps& para) {
    flushRun();
    if (m_table)
        trimTable();
    // Nothing to finish when the last paragraph was ended already (by \par or \cell).
    if (m_pendingPar || m_cellPending || m_rowPending || (m_table && !para.inTable)) {
        flushRun();
        return;
    }
    if (m_hasContent)
        finishParagraph(para);
    flushRun();
}

} // namespace velcaro::rtf
