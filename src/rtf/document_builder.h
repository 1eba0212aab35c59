#pragma once

#include "rtf/code_pages.h"
#include "rtf/rtf_format.h"
#include "rtf/rtf_tables.h"

#include <QByteArrayView>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextCursor>
#include <utility>
#include <vector>

class QTextDocument;
#include <QTextList>
#include <QTextTable>

namespace velcaro::rtf {

// Builds a QTextDocument from the text and formatting an RTF reader finds, in document order:
// runs of text with their character formatting, paragraph ends, table cells and rows. A
// paragraph end only takes effect when something follows it, so a document's final \par
// leaves no empty paragraph behind.
class DocumentBuilder {
public:
    DocumentBuilder(QTextDocument& doc, const RtfTables& tables);

    void appendBytes(QByteArrayView bytes, const CharProps& chr, const ParaProps& para);
    void appendChars(QStringView chars, const CharProps& chr, const ParaProps& para);
    void paragraphBreak(const ParaProps& para);
    void endCell(const ParaProps& para);
    void endRow();
    void setRowCells(int cells) { m_rowCells = cells; }
    void finish(const ParaProps& para);
    // The font or colour table or the code page changed: formats built so far are stale.
    void tablesChanged();

private:
    void prepare(const CharProps& chr, const ParaProps& para);
    void ensureBlock(const ParaProps& para);
    void ensureCell();
    void endTable();
    void trimTable();
    void finishParagraph(const ParaProps& para);
    void flushBytes();
    void flushRun();
    int codePageOf(const CharProps& chr);
    QTextCharFormat makeCharFormat(const CharProps& chr) const;
    const QTextCharFormat& charFormat(const CharProps& chr);
    QTextBlockFormat blockFormat(const ParaProps& para) const;

    const RtfTables& m_tables;
    QTextCursor m_cursor;
    CodePageDecoder m_decoder;

    QString m_runText;
    QByteArray m_runBytes;
    int m_runCodePage = 1252;
    CharProps m_runChar;
    // Recently built character formats: documents switch among a few formats all the time.
    std::vector<std::pair<CharProps, QTextCharFormat>> m_formatCache;
    std::size_t m_formatCacheNext = 0;
    int m_codePageFont = -2;
    int m_codePage = 1252;

    bool m_pendingPar = false;
    bool m_hasContent = false;
    bool m_blockFormatKnown = false;
    ParaProps m_blockPara;

    // Qt deletes a list when its last block leaves it (a paragraph whose format changes after
    // it joined), and a table could go the same way: hence guarded pointers.
    QPointer<QTextList> m_list;
    ParaProps m_listPara;
    bool m_previousInList = false;
    int m_listItems = 0;

    static constexpr int kMaxColumns = 64;
    QPointer<QTextTable> m_table;
    int m_rowCells = 0;
    int m_row = 0;
    int m_column = 0;
    bool m_rowPending = false;
    bool m_cellPending = false;
};

} // namespace velcaro::rtf
