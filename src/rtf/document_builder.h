#pragma once

#include "rtf/code_pages.h"
#include "rtf/rtf_format.h"
#include "rtf/rtf_tables.h"

#include <QByteArrayView>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextCursor>
#include <string>
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
    void setRowCells(int cells) { rowCells_ = cells; }
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

    const RtfTables& tables_;
    QTextCursor cursor_;
    CodePageDecoder decoder_;

    std::u16string runText_;
    // Where appendChars put the run's first surrogate half (text decoded from bytes has none
    // out of its pair), npos for none.
    std::size_t runSurrogatesFrom_ = std::u16string::npos;
    QByteArray runBytes_;
    int runCodePage_ = 1252;
    CharProps runChar_;
    // Recently built character formats: documents switch among a few formats all the time.
    std::vector<std::pair<CharProps, QTextCharFormat>> formatCache_;
    std::size_t formatCacheNext_ = 0;
    int codePageFont_ = -2;
    int codePage_ = 1252;

    bool pendingPar_ = false;
    bool hasContent_ = false;
    bool blockFormatKnown_ = false;
    ParaProps blockPara_;

    // Qt deletes a list when its last block leaves it (a paragraph whose format changes after
    // it joined), and a table could go the same way: hence guarded pointers.
    QPointer<QTextList> list_;
    ParaProps listPara_;
    bool previousInList_ = false;
    int listItems_ = 0;

    static constexpr int kMaxColumns = 64;
    QPointer<QTextTable> table_;
    int rowCells_ = 0;
    int row_ = 0;
    int column_ = 0;
    bool rowPending_ = false;
    bool cellPending_ = false;
};

} // namespace velcaro::rtf
