#include "rtf/rtf_writer.h"

#include "rtf/list_style.h"
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

// Walks a QTextDocument's frames, tables and blocks and writes them through RtfOutput.
class DocumentWriter {
public:
    explicit DocumentWriter(const QTextDocument& doc)
        : doc_(doc), out_(doc.defaultFont().family(), defaultHalfPoints(doc)) {}

    QByteArray write() {
        writeFrame(doc_.rootFrame(), false);
        return out_.finish();
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
                out_.endParagraph();
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
            out_.beginRow(edges);
            for (const QTextTableCell& cell : cells) {
                if (cell.row() == r)
                    writeCell(cell);
                else
                    out_.beginParagraph(tableParagraph());
                out_.endCell();
            }
            out_.endRow();
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
                out_.endParagraph();
            first = false;
            if (QTextFrame* child = it.currentFrame()) {
                writeFrame(child, true);
                out_.beginParagraph(tableParagraph());
            } else {
                writeBlock(it.currentBlock(), true);
            }
        }
        if (first)
            out_.beginParagraph(tableParagraph());
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
        p.left = toTwips(f.leftMargin() + f.indent() * doc_.indentWidth());
        p.right = toTwips(f.rightMargin());
        p.firstLine = toTwips(f.textIndent());
        p.before = toTwips(f.topMargin());
        p.after = toTwips(f.bottomMargin());
        p.headingLevel = f.headingLevel();
        if (QTextList* list = block.textList()) {
            const QTextListFormat lf = list->format();
            p.list = listStyleOf(lf.style());
            p.listLevel = qMax(0, lf.indent() - 1);
            p.left += toTwips(lf.indent() * doc_.indentWidth());
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
            scratch_ = convert();
            return scratch_;
        }
        if (static_cast<std::size_t>(index) >= formats_.size())
            formats_.resize(index + 1);
        auto& slot = formats_[index];
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
            c.font = out_.fontIndex(familyList.first());
        else if (const QString family = f.stringProperty(QTextFormat::FontFamily);
                 !family.isEmpty())
            c.font = out_.fontIndex(family);
        if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
            c.halfPoints = toHalfPoints(f.fontPointSize());
        else if (f.hasProperty(QTextFormat::FontPixelSize) &&
                 f.intProperty(QTextFormat::FontPixelSize) > 0)
            c.halfPoints = toHalfPoints(f.intProperty(QTextFormat::FontPixelSize) * 0.75);
        const QBrush fg = f.foreground();
        if (fg.style() != Qt::NoBrush)
            c.color = out_.colorIndex(fg.color().rgb());
        const QBrush bg = f.background();
        if (bg.style() != Qt::NoBrush)
            c.background = out_.colorIndex(bg.color().rgb());
        return c;
    }

    void writeBlock(const QTextBlock& block, bool inTable) {
        const ParaProps para = paragraphOf(block, inTable);
        out_.beginParagraph(para, para.list == ListStyle::None
                                      ? QString()
                                      : listMarker(para.list, ++listCounters_[block.textList()]));
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
                    out_.endLink();
                if (!format.link.isEmpty())
                    out_.beginLink(format.link);
                link = format.link;
            }
            out_.setChar(format.chr);
            out_.text(QStringView(text).mid(fragment.position() - blockStart, fragment.length()));
        }
        if (!link.isEmpty())
            out_.endLink();
    }

    const QTextDocument& doc_;
    RtfOutput out_;
    std::vector<std::optional<RunFormat>> formats_;
    QHash<const QTextList*, int> listCounters_;
    RunFormat scratch_;
};

} // namespace

QByteArray writeRtf(const QTextDocument& doc) {
    return DocumentWriter(doc).write();
}

} // namespace velcaro::rtf
