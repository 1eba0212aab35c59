#include "rendered_words.h"

#include <QProcess>
#include <QRegularExpression>

namespace velcaro::markdown::test {

QString renderMarkdown(const QString& markdown, bool rawHtml) {
    QStringList arguments{QStringLiteral("-e"), QStringLiteral("table")};
    if (rawHtml)
        arguments << QStringLiteral("--unsafe");
    QProcess cmark;
    cmark.start(QStringLiteral("cmark-gfm"), arguments);
    if (!cmark.waitForStarted())
        return {};
    cmark.write(markdown.toUtf8());
    cmark.closeWriteChannel();
    if (!cmark.waitForFinished(120000) || cmark.exitStatus() != QProcess::NormalExit ||
        cmark.exitCode() != 0)
        return {};
    return QString::fromUtf8(cmark.readAllStandardOutput());
}

QString textOfHtml(const QString& html) {
    static const QRegularExpression image(
        QStringLiteral(R"re(<img\b[^>]*?\balt="([^"]*)"[^>]*>)re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression block(
        QStringLiteral(R"re(</?(?:p|div|br|hr|li|ul|ol|dl|dt|dd|h[1-6]|pre|blockquote|table|)re"
                       R"re(thead|tbody|tfoot|tr|td|th|caption|section|article|header|footer|)re"
                       R"re(nav|aside|main|figure|figcaption|details|summary|address)\b[^>]*>)re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral(R"re(<!--.*?-->|<[^>]*>)re"),
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression reference(
        QStringLiteral(R"re(&(#[0-9]+|#[xX][0-9a-fA-F]+|amp|lt|gt|quot|apos|nbsp);)re"));
    QString text = html;
    text.replace(image, QStringLiteral("\\1")).replace(block, QStringLiteral("\n"));
    text.replace(tag, QString());
    QString out;
    qsizetype from = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).sliced(from, m.capturedStart() - from);
        const QString name = m.captured(1);
        if (name.startsWith(u'#')) {
            const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
            const uint code = name.mid(hex ? 2 : 1).toUInt(nullptr, hex ? 16 : 10);
            const char32_t c = code > 0 && code <= 0x10FFFF ? code : 0xFFFD;
            out += QString::fromUcs4(&c, 1);
        } else {
            static const QHash<QString, QChar> named{
                {QStringLiteral("amp"), u'&'},   {QStringLiteral("lt"), u'<'},
                {QStringLiteral("gt"), u'>'},    {QStringLiteral("quot"), u'"'},
                {QStringLiteral("apos"), u'\''}, {QStringLiteral("nbsp"), QChar(0xA0)}};
            out += named.value(name);
        }
        from = m.capturedEnd();
    }
    out += QStringView(text).sliced(from);
    return out;
}

QStringList wordsOf(const QString& text) {
    static const QRegularExpression word(QStringLiteral("\\w+"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    QStringList words;
    for (auto it = word.globalMatch(text); it.hasNext();)
        words.append(it.next().captured());
    return words;
}

} // namespace velcaro::markdown::test
