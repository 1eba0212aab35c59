#include "markdown/inline_writer.h"

#include "markdown/markdown_syntax.h"

namespace velcaro::markdown {
namespace {

struct Written {
    QString md;
    bool endsWithDelimiter = false;
};

// Whether a run of `*` between `before` and `after` opens emphasis (is left-flanking), in
// every version of the grammar.
bool canOpen(char32_t before, char32_t after) {
    return !isEmphasisSpace(after) &&
           (!isMaybePunctuation(after) || isEmphasisSpace(before) || isSurePunctuation(before));
}

// Whether a run of `*` between `before` and `after` closes emphasis (is right-flanking).
bool canClose(char32_t before, char32_t after) {
    return !isEmphasisSpace(before) &&
           (!isMaybePunctuation(before) || isEmphasisSpace(after) || isSurePunctuation(after));
}

QLatin1String delimiter(uint8_t emphasis) {
    return emphasis == kItalic ? QLatin1String("*")
                               : (emphasis == kBold ? QLatin1String("**") : QLatin1String("***"));
}

// Writes pieces [from, to), which start and end with content, inside emphasis `inherited`
// between the characters `before` and `after`. An island is a longest run of pieces sharing
// some emphasis beyond `inherited`; it is written inside its delimiters, its own inner islands
// nested, when the grammar reads those delimiters as emphasis where they stand.
Written emphasize(const std::vector<Piece>& p, std::size_t from, std::size_t to, uint8_t inherited,
                  char32_t before, char32_t after) {
    Written out;
    char32_t previous = before;
    std::size_t i = from;
    while (i < to) {
        const uint8_t extra = p[i].emphasis & ~inherited;
        if (p[i].isSpace || !extra) {
            out.md += p[i].md;
            out.endsWithDelimiter = false;
            previous = lastCodePoint(p[i].md);
            ++i;
            continue;
        }
        uint8_t shared = extra;
        std::size_t last = i;
        for (std::size_t j = i + 1; j < to; ++j) {
            if (p[j].isSpace)
                continue;
            const uint8_t both = shared & p[j].emphasis;
            if (!both)
                break;
            shared = both;
            last = j;
        }
        const char32_t next = last + 1 < to ? firstCodePoint(p[last + 1].md) : after;
        if (out.endsWithDelimiter) {
            // Right after a closing delimiter an opening one would join it into one run.
            for (std::size_t k = i; k <= last; ++k)
                out.md += p[k].md;
            out.endsWithDelimiter = false;
        } else {
            const Written inner = emphasize(p, i, last + 1, inherited | shared, previous, next);
            if (canOpen(previous, firstCodePoint(p[i].md)) &&
                canClose(lastCodePoint(p[last].md), next)) {
                out.md += delimiter(shared) + inner.md + delimiter(shared);
                out.endsWithDelimiter = true;
            } else {
                out.md += inner.md;
                out.endsWithDelimiter = inner.endsWithDelimiter;
            }
        }
        previous = lastCodePoint(p[last].md);
        i = last + 1;
    }
    return out;
}

} // namespace

QString writeInline(std::vector<Piece>& pieces) {
    std::vector<Piece> line;
    line.reserve(pieces.size());
    const std::size_t n = pieces.size();
    for (std::size_t i = 0; i < n;) {
        const int link = pieces[i].link;
        if (!link) {
            line.push_back(std::move(pieces[i++]));
            continue;
        }
        std::size_t end = i;
        while (end < n && pieces[end].link == link)
            ++end;
        while (i < end && pieces[i].isSpace)
            line.push_back(std::move(pieces[i++]));
        std::size_t last = end;
        while (last > i && pieces[last - 1].isSpace)
            --last;
        if (i < last) {
            uint8_t shared = kItalic | kBold;
            for (std::size_t k = i; k < last; ++k)
                if (!pieces[k].isSpace)
                    shared &= pieces[k].emphasis;
            const QString target = *pieces[i].linkTarget;
            QString md = QLatin1Char('[') + emphasize(pieces, i, last, shared, u'[', u']').md +
                         QLatin1String("](") + target + QLatin1Char(')');
            line.push_back(Piece::content(std::move(md), shared, 0, nullptr));
        }
        for (std::size_t k = last; k < end; ++k)
            line.push_back(std::move(pieces[k]));
        i = end;
    }
    // A ! written just before a link would make it an image.
    for (std::size_t k = 0; k + 1 < line.size(); ++k) {
        if (!line[k].isSpace && line[k].md.endsWith(u'!') && line[k + 1].md.startsWith(u'['))
            line[k].md.insert(line[k].md.size() - 1, u'\\');
    }
    std::size_t from = 0;
    std::size_t to = line.size();
    while (from < to && line[from].isSpace)
        ++from;
    while (to > from && line[to - 1].isSpace)
        --to;
    return emphasize(line, from, to, 0, 0, 0).md;
}

} // namespace velcaro::markdown
