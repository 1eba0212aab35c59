#pragma once

#include "rtf/rtf_format.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace velcaro::rtf {

// The RTF text of one document under construction: escaping, code page 1252 and Unicode
// output, the font and colour tables, and character and paragraph formatting written as the
// difference from what is already in effect. Shared by the document writer and the HTML
// converter, so both write the same RTF.
class RtfOutput {
public:
    // defaultFamily becomes font 0; defaultHalfPoints the size every paragraph starts with.
    RtfOutput(const QString& defaultFamily, int defaultHalfPoints);

    int fontIndex(const QString& family);
    int colorIndex(QRgb rgb);

    // Starts a paragraph: \pard and its properties (and a list marker for old readers).
    void beginParagraph(const ParaProps& para, const QString& listMarker = QString());
    // Ends it with \par, or with \cell when it is the last paragraph of a table cell.
    void endParagraph();
    void endCell();
    // A table row: \trowd with the right edges of its cells, then (later) \row.
    void beginRow(const std::vector<int>& cellRightEdges);
    void endRow();

    // Brings the character formatting in effect to `props`, writing only what changes.
    void setChar(const CharProps& props);

    void text(QStringView text);
    // A hyperlink field around the text written between the two calls.
    void beginLink(const QString& target);
    void endLink();

    // The whole document: header, font and colour tables, body.
    QByteArray finish();

private:
    void appendEscaped(QByteArray& out, QStringView text);

    QByteArray body_;
    QStringList fonts_;
    QHash<QString, int> fontIndex_;
    std::vector<QRgb> colors_;
    QHash<QRgb, int> colorIndex_;
    CharProps char_;
    CharProps linkSaved_;
    int defaultHalfPoints_;
    bool inLink_ = false;
};

} // namespace velcaro::rtf
