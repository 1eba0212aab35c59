#include "rtf/rtf_writer.h"

#include "rtf/rtf_output.h"

#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <cmath>
#include <optional>
#include <vector>

namespace velcaro::rtf {
namespace {

// The marker of item `number` (1-based) of a list. Counted by the writer as it goes:
// QTextList::itemText looks the block up in the list, which makes long lists quadratic.
QString listMarker(ListStyle style, int number) {
    QString text;
    switch (style) {
    case ListStyle::Bullet:
        return QStringLiteral("\u2022");
    case ListStyle::LowerAlpha:
    case ListStyle::UpperAlpha:
        for (int n = number; n > 0; n = (n - 1) / 26)
            text.prepend(QChar(u'a' + (n - 1) % 26));
        break;
    case ListStyle::LowerRoman:
    case ListStyle::UpperRoman: {
        static const std::pair<int, const char*> numerals[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        int n = number;
        for (const auto& [value, letters] : numerals)
            for (; n >= value; n -= value)
                text += QLatin1String(letters);
        break;
    }
    default:
        text = QString::number(number);
        break;
    }
    if (style == ListStyle::UpperAlpha || style == ListStyle::UpperRoman)
        text = text.toUpper();
    return text + QLatin1Char('.');
}

int toHalfPoints(double points) {
    return static_cast<int>(std::lround(points * 2));
}

int toTwips(double pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerPixel));
}

ListStyle listStyleOf(QTextListFormat::Style style) {
    switch (style) {
    case QTextListFormat::ListDecimal:
        return ListStyle::Decimal;
    case QTextListFormat::ListLowerAlpha:
        return ListStyle::LowerAlpha;
    case QTextListFormat::ListUpperAlpha:
        return ListStyle::UpperAlpha;
    case QTextListFormat::ListLowerRoman:
        return ListStyle::LowerRoman;
    case QTextListFormat::ListUpperRoman:
        return ListStyle::UpperRoman;
    default:
        return ListStyle::Bullet;
    }
}

// Walks a QTextDocument's frames, tables and blocks and writes them through RtfOutput.
class DocumentWriter {
public:
    explicit DocumentWriter(const QTextDocument& doc)
        : m_doc(doc), m_out(doc.defaultFont().family(), defaultHalfPoints(doc)) {}

    QByteArray write() {
        writeFrame(m_doc.rootFrame(), false);
        return m_out.finish();
    }

private:
    static int defaultHalfPoints(const QTextDocument& doc) {
        const QFont font = doc.defaultFont();
        if (font.pointSizeF() > 0)
            return toHalfPoints(font.pointSizeF());
        return toHalfPoints(font.pixelSize() * 0.75);
    }

    void writeFrame(QTextFrame* frame, bool inTable) {
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                auto* table = qobject_cast<QTextTable*>(child);
                if (table && !inTable)
                    writeTable(table);
                else
                    writeFrame(child, inTable);
            } else {
                writeBlock(it.currentBlock(), inTable);
                m_out.endParagraph();
            }
        }
    }

    void writeTable(QTextTable* table) {
        const int rows = table->rows();
        const int columns = table->columns();
        const int width = columns > 0 ? 9000 / columns : 9000;
        for (int r = 0; r < rows; ++r) {
            std::vector<int> edges;
            std::vector<QTextTableCell> cells;
            for (int c = 0; c < columns; ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.column() != c)
                    continue; // covered by a cell spanning columns
                edges.push_back((c + cell.columnSpan()) * width);
                cells.push_back(cell);
            }
            m_out.beginRow(edges);
            for (const QTextTableCell& cell : cells) {
                if (cell.row() == r)
                    writeCell(cell);
                else
                    m_out.beginParagraph(tableParagraph());
                m_out.endCell();
            }
            m_out.endRow();
        }
    }

    static ParaProps tableParagraph() {
        ParaProps p;
        p.inTable = true;
        return p;
    }

    void writeCell(const QTextTableCell& cell) {
        bool first = true;
        for (auto it = cell.begin(); !it.atEnd(); ++it) {
            if (!first)
                m_out.endParagraph();
            first = false;
            if (QTextFrame* child = it.currentFrame()) {
                writeFrame(child, true);
                m_out.beginParagraph(tableParagraph());
            } else {
                writeBlock(it.currentBlock(), true);
            }
        }
        if (first)
            m_out.beginParagraph(tableParagraph());
    }

    ParaProps paragraphOf(const QTextBlock& block, bool inTable) const {
        const QTextBlockFormat f = block.blockFormat();
        ParaProps p;
        p.inTable = inTable;
        const Qt::Alignment h = f.alignment() & Qt::AlignHorizontal_Mask;
        if (h & Qt::AlignHCenter)
            p.align = Align::Center;
        else if (h & Qt::AlignJustify)
            p.align = Align::Justify;
        else if (h & Qt::AlignRight)
            p.align = Align::Right;
        p.rightToLeft = f.layoutDirection() == Qt::RightToLeft;
        p.left = toTwips(f.leftMargin() + f.indent() * m_doc.indentWidth());
        p.right = toTwips(f.rightMargin());
        p.firstLine = toTwips(f.textIndent());
        p.before = toTwips(f.topMargin());
        p.after = toTwips(f.bottomMargin());
        p.headingLevel = f.headingLevel();
        if (QTextList* list = block.textList()) {
            const QTextListFormat lf = list->format();
            p.list = listStyleOf(lf.style());
            p.listLevel = qMax(0, lf.indent() - 1);
            p.left += toTwips(lf.indent() * m_doc.indentWidth());
            p.firstLine -= 360;
        }
        return p;
    }

    // What the writer needs of a character format: converted once per format, by the
    // format's index in the document (documents use few distinct formats).
    struct RunFormat {
        CharProps chr;
        bool image = false;
        QString link;
    };

    const RunFormat& runFormat(const QTextFragment& fragment) {
        const int index = fragment.charFormatIndex();
        const auto convert = [&] {
            const QTextCharFormat f = fragment.charFormat();
            return RunFormat{charOf(f), f.isImageFormat(),
                             f.isAnchor() ? f.anchorHref() : QString()};
        };
        if (index < 0 || index >= 1 << 20) {
            m_scratch = convert();
            return m_scratch;
        }
        if (static_cast<std::size_t>(index) >= m_formats.size())
            m_formats.resize(index + 1);
        auto& slot = m_formats[index];
        if (!slot)
            slot = convert();
        return *slot;
    }

    CharProps charOf(const QTextCharFormat& f) {
        CharProps c;
        c.bold = f.fontWeight() > QFont::Medium;
        c.italic = f.fontItalic();
        c.underline = f.fontUnderline();
        c.strike = f.fontStrikeOut();
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            c.vertical = 1;
        else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            c.vertical = -1;
        const QVariant families = f.property(QTextFormat::FontFamilies);
        const QStringList familyList = families.toStringList();
        if (!familyList.isEmpty() && !familyList.first().isEmpty())
            c.font = m_out.fontIndex(familyList.first());
        else if (const QString family = f.stringProperty(QTextFormat::FontFamily);
                 !family.isEmpty())
            c.font = m_out.fontIndex(family);
        if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
            c.halfPoints = toHalfPoints(f.fontPointSize());
        else if (f.hasProperty(QTextFormat::FontPixelSize) &&
                 f.intProperty(QTextFormat::FontPixelSize) > 0)
            c.halfPoints = toHalfPoints(f.intProperty(QTextFormat::FontPixelSize) * 0.75);
        const QBrush fg = f.foreground();
        if (fg.style() != Qt::NoBrush)
            c.color = m_out.colorIndex(fg.color().rgb());
        const QBrush bg = f.background();
        if (bg.style() != Qt::NoBrush)
            c.background = m_out.colorIndex(bg.color().rgb());
        return c;
    }

    void writeBlock(const QTextBlock& block, bool inTable) {
        const ParaProps para = paragraphOf(block, inTable);
        m_out.beginParagraph(para, para.list == ListStyle::None
                                       ? QString()
                                       : listMarker(para.list, ++m_listCounters[block.textList()]));
        QString link;
        const QString text = block.text();
        const int blockStart = block.position();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const RunFormat& format = runFormat(fragment);
            if (format.image)
                continue;
            if (format.link != link) {
                if (!link.isEmpty())
                    m_out.endLink();
                if (!format.link.isEmpty())
                    m_out.beginLink(format.link);
                link = format.link;
            }
            m_out.setChar(format.chr);
            m_out.text(QStringView(text).mid(fragment.position() - blockStart, fragment.length()));
        }
        if (!link.isEmpty())
            m_out.endLink();
    }

    const QTextDocument& m_doc;
    RtfOutput m_out;
    std::vector<std::optional<RunFormat>> m_formats;
    QHash<const QTextList*, int> m_listCounters;
    RunFormat m_scratch;
};

} // namespace

QByteArray writeRtf(const QTextDocument& doc) {
    return DocumentWriter(doc).write();
}

QByteArray plainTextToRtf(const QString& text) {
    RtfOutput out(QStringLiteral("Times New Roman"), 24);
    const QStringView all(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= all.size(); ++i) {
        if (i < all.size() && all[i] != u'\n' && all[i] != u'\r')
            continue;
        out.beginParagraph(ParaProps());
        out.text(all.mid(start, i - start));
        out.endParagraph();
        if (i + 1 < all.size() && all[i] == u'\r' && all[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    return out.finish();
}

} // namespace velcaro::rtf
