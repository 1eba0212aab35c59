#include "batch_capture/output_names.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace velcaro {
namespace {

bool isUnsafe(QChar c) {
    return c.isSpace() || c.category() == QChar::Other_Control ||
           c.category() == QChar::Other_Format || QStringView(u"/\\:*?\"<>|%#&=+'`$;,").contains(c);
}

// Unsafe characters become "_", runs of them one; no leading dot (a hidden file) or dash
// (an option to other commands), no trailing dot or underscore.
QString makeSafe(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const QChar safe = isUnsafe(c) ? u'_' : c;
        if (safe == u'_' && out.endsWith(u'_'))
            continue;
        out += safe;
    }
    while (!out.isEmpty() && (out.front() == u'.' || out.front() == u'-' || out.front() == u'_'))
        out.remove(0, 1);
    while (!out.isEmpty() && (out.back() == u'.' || out.back() == u'_'))
        out.chop(1);
    return out;
}

// `text` cut to at most `bytes` bytes of UTF-8, never inside a character.
QString cutToBytes(const QString& text, int bytes) {
    int used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size();
        const int size = pair                             ? 4
                         : text.at(end).unicode() < 0x80  ? 1
                         : text.at(end).unicode() < 0x800 ? 2
                                                          : 3;
        if (used + size > bytes)
            break;
        used += size;
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

QString withoutPageExtension(const QString& name) {
    static const QRegularExpression page(QStringLiteral("\\.(html?|xhtml|shtml|php|aspx?|jsp)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString stem = name;
    return stem.remove(page);
}

} // namespace

QString outputStem(const QUrl& url) {
    QString stem;
    if (url.isLocalFile()) {
        stem = withoutPageExtension(QFileInfo(url.toLocalFile()).fileName());
    } else {
        QString path = url.path(QUrl::FullyDecoded);
        while (path.endsWith(u'/'))
            path.chop(1);
        stem = url.host() + withoutPageExtension(path);
        if (url.hasQuery())
            stem += u'_' + url.query(QUrl::FullyDecoded);
    }
    stem = makeSafe(stem);
    return stem.isEmpty() ? QStringLiteral("pagina") : stem;
}

OutputNames::OutputNames(QString extension) : extension_(std::move(extension)) {}

QString OutputNames::take(const QUrl& url) {
    const QString stem = outputStem(url);
    // Numbers go on from the last one given to the same stem.
    int& n = lastNumber_[stem.toCaseFolded()];
    for (++n;; ++n) {
        const QString suffix = (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + extension_;
        const QString name =
            cutToBytes(stem, kMaxNameBytes - static_cast<int>(suffix.toUtf8().size())) + suffix;
        if (!taken_.contains(name.toCaseFolded())) {
            taken_.insert(name.toCaseFolded());
            return name;
        }
    }
}

} // namespace velcaro
