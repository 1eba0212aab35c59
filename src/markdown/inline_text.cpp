#include "markdown/inline_text.h"

#include "markdown/inline_writer.h"
#include "markdown/markdown_syntax.h"

namespace velcaro::markdown {
namespace {

constexpr uint8_t emphasisOf(const InlineStyle& style) {
    return (style.italic ? kItalic : 0) | (style.bold ? kBold : 0);
}

// Splits `text` into its leading white space, its core and its trailing white space, as
// pieces: white space outside any emphasis, code span or link the core is written in.
template <typename Core>
void splitSpaces(std::vector<Piece>& pieces, QStringView text, int link, const Core& core) {
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    qsizetype end = text.size();
    while (end > start && text[end - 1].isSpace())
        --end;
    if (start > 0)
        pieces.push_back(Piece::space(text.first(start), link));
    if (end > start)
        pieces.push_back(core(text.sliced(start, end - start)));
    if (end < text.size())
        pieces.push_back(Piece::space(text.sliced(end), link));
}

} // namespace

void InlineText::addText(QStringView text, const InlineStyle& style) {
    if (text.isEmpty())
        return;
    const uint8_t emphasis = emphasisOf(style);
    if (!segments_.empty()) {
        Segment& last = segments_.back();
        if (last.kind == Kind::Text && last.emphasis == emphasis && last.code == style.code &&
            last.link == style.link) {
            last.text += text;
            hasContent_ = hasContent_ || !text.trimmed().isEmpty();
            return;
        }
    }
    segments_.push_back(
        {Kind::Text, emphasis, style.code, style.link, text.toString(), style.linkTarget, {}});
    hasContent_ = hasContent_ || !text.trimmed().isEmpty();
}

void InlineText::addImage(QStringView alt, const QString& destination, const InlineStyle& style) {
    segments_.push_back({Kind::Image, emphasisOf(style), false, style.link, alt.toString(),
                         style.linkTarget, destination});
    hasContent_ = true;
}

void InlineText::addBreak() {
    segments_.push_back({Kind::Break, 0, false, 0, {}, {}, {}});
}

QStringList InlineText::lines() const {
    QStringList out;
    std::size_t from = 0;
    for (std::size_t i = 0; i <= segments_.size(); ++i) {
        if (i == segments_.size() || segments_[i].kind == Kind::Break) {
            out.append(render(from, i, false));
            from = i + 1;
        }
    }
    while (!out.isEmpty() && out.constLast().isEmpty())
        out.removeLast();
    qsizetype first = 0;
    while (first < out.size() && out[first].isEmpty())
        ++first;
    return first ? out.mid(first) : out;
}

QString InlineText::line(bool inTable) const {
    return render(0, segments_.size(), inTable);
}

QString InlineText::render(std::size_t from, std::size_t to, bool inTable) const {
    std::vector<Piece> pieces;
    pieces.reserve(to - from);
    for (std::size_t i = from; i < to; ++i) {
        const Segment& s = segments_[i];
        if (s.kind == Kind::Break) {
            pieces.push_back(Piece::space(u" ", 0));
        } else if (s.kind == Kind::Image) {
            QString md = QStringLiteral("![");
            appendEscaped(md, s.text);
            md += QLatin1String("](") + s.source + QLatin1Char(')');
            pieces.push_back(Piece::content(std::move(md), s.emphasis, s.link, &s.linkTarget));
        } else if (s.code) {
            // One code span for the run of code in the same link; its emphasis is what the
            // whole run shares.
            QString code = s.text;
            uint8_t emphasis = s.emphasis;
            while (i + 1 < to && segments_[i + 1].kind == Kind::Text && segments_[i + 1].code &&
                   segments_[i + 1].link == s.link) {
                ++i;
                code += segments_[i].text;
                emphasis &= segments_[i].emphasis;
            }
            splitSpaces(pieces, code, s.link, [&](QStringView core) {
                return Piece::content(codeSpan(core, inTable), emphasis, s.link, &s.linkTarget);
            });
        } else {
            splitSpaces(pieces, s.text, s.link, [&](QStringView core) {
                QString md;
                appendEscaped(md, core);
                return Piece::content(std::move(md), s.emphasis, s.link, &s.linkTarget);
            });
        }
    }
    return writeInline(pieces);
}

} // namespace velcaro::markdown
