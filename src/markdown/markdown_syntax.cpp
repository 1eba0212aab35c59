#include "markdown/markdown_syntax.h"

#include <QChar>
#include <algorithm>

namespace velcaro::markdown {
namespace {

bool isWordChar(QChar c) {
    return c.isLetterOrNumber();
}

// Whether `text` at `at` (an &) starts a character reference: &name; &#123; or &#x1F;.
bool startsReference(QStringView text, qsizetype at) {
    qsizetype i = at + 1;
    if (i < text.size() && text[i] == u'#')
        ++i;
    const qsizetype nameStart = i;
    while (i < text.size() && i - nameStart < 32 && text[i].unicode() < 128 && isWordChar(text[i]))
        ++i;
    return i > nameStart && i < text.size() && text[i] == u';';
}

qsizetype longestBacktickRun(QStringView code) {
    qsizetype longest = 0;
    qsizetype run = 0;
    for (QChar c : code) {
        run = c == u'`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

} // namespace

void appendEscaped(QString& out, QStringView text) {
    out.reserve(out.size() + text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'\\':
        case u'*':
        case u'`':
        case u'[':
        case u']':
        case u'<':
        case u'|':
        case u'~':
            out += u'\\';
            break;
        case u'_':
            if (i == 0 || i + 1 == text.size() || !isWordChar(text[i - 1]) ||
                !isWordChar(text[i + 1]))
                out += u'\\';
            break;
        case u'&':
            if (startsReference(text, i))
                out += u'\\';
            break;
        default:
            break;
        }
        out += c;
    }
}

void escapeLineStart(QString& line, qsizetype at) {
    if (at >= line.size())
        return;
    switch (line[at].unicode()) {
    case u'#':
    case u'-':
    case u'+':
    case u'=':
    case u'>':
        line.insert(at, u'\\');
        return;
    default:
        break;
    }
    qsizetype i = at;
    while (i < line.size() && i - at < 10 && line[i] >= u'0' && line[i] <= u'9')
        ++i;
    const qsizetype digits = i - at;
    if (digits == 0 || digits > 9 || i >= line.size() || (line[i] != u'.' && line[i] != u')'))
        return;
    if (i + 1 == line.size() || line[i + 1] == u' ' || line[i + 1] == u'\t')
        line.insert(i, u'\\');
}

QString codeSpan(QStringView code, bool inTable) {
    const QString fence(longestBacktickRun(code) + 1, u'`');
    const bool pad = code.startsWith(u'`') || code.endsWith(u'`');
    QString out = fence;
    if (pad)
        out += u' ';
    if (inTable) {
        for (QChar c : code) {
            if (c == u'|')
                out += u'\\';
            out += c;
        }
    } else {
        out += code;
    }
    if (pad)
        out += u' ';
    return out + fence;
}

QString codeFence(QStringView code) {
    return QString(std::max<qsizetype>(3, longestBacktickRun(code) + 1), u'`');
}

QString linkDestination(const QByteArray& encodedUrl) {
    const QString url = QString::fromLatin1(encodedUrl);
    QString out;
    out.reserve(url.size());
    for (qsizetype i = 0; i < url.size(); ++i) {
        const QChar c = url[i];
        if (c == u'(' || c == u')' || c == u'\\' || c == u'|' ||
            (c == u'&' && startsReference(url, i)))
            out += u'\\';
        out += c;
    }
    return out;
}

bool isEmphasisSpace(char32_t c) {
    return c == 0 || QChar::isSpace(c);
}

bool isSurePunctuation(char32_t c) {
    if (c < 128)
        return c > 32 && c < 127 && !QChar::isLetterOrNumber(c);
    return QChar::isPunct(c);
}

bool isMaybePunctuation(char32_t c) {
    return isSurePunctuation(c) || QChar::isSymbol(c);
}

char32_t firstCodePoint(QStringView s) {
    if (s.size() >= 2 && s[0].isHighSurrogate() && s[1].isLowSurrogate())
        return QChar::surrogateToUcs4(s[0], s[1]);
    return s.isEmpty() ? 0 : s[0].unicode();
}

char32_t lastCodePoint(QStringView s) {
    const qsizetype n = s.size();
    if (n >= 2 && s[n - 1].isLowSurrogate() && s[n - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(s[n - 2], s[n - 1]);
    return n == 0 ? 0 : s[n - 1].unicode();
}

} // namespace velcaro::markdown
