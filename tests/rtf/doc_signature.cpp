#include "doc_signature.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

namespace velcaro::rtf::test {
namespace {

QString charSignature(const QTextCharFormat& f, const QTextDocument& doc) {
    QStringList parts;
    if (f.fontWeight() > QFont::Medium)
        parts << "b";
    if (f.fontItalic())
        parts << "i";
    if (f.fontUnderline())
        parts << "u";
    if (f.fontStrikeOut())
        parts << "s";
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        parts << "sup";
    if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        parts << "sub";
    const QStringList families = f.fontFamilies().toStringList();
    parts << (families.isEmpty() ? doc.defaultFont().family() : families.first());
    parts << QString::number(f.hasProperty(QTextFormat::FontPointSize)
                                 ? f.fontPointSize()
                                 : doc.defaultFont().pointSizeF());
    if (f.foreground().style() != Qt::NoBrush)
        parts << "fg" + f.foreground().color().name();
    if (f.background().style() != Qt::NoBrush)
        parts << "bg" + f.background().color().name();
    if (f.isAnchor())
        parts << "href=" + f.anchorHref();
    return parts.join(',');
}

QString blockSignature(const QTextBlock& block) {
    const QTextBlockFormat f = block.blockFormat();
    QStringList parts;
    parts << QString::number(int(f.alignment() & Qt::AlignHorizontal_Mask));
    parts << QString::number(qRound(f.leftMargin())) << QString::number(qRound(f.rightMargin()))
          << QString::number(qRound(f.textIndent())) << QString::number(qRound(f.topMargin()))
          << QString::number(qRound(f.bottomMargin()));
    parts << "h" + QString::number(f.headingLevel());
    if (f.layoutDirection() == Qt::RightToLeft)
        parts << "rtl";
    if (QTextList* list = block.textList())
        parts << "list" + QString::number(list->format().style()) + "/" +
                     QString::number(list->format().indent()) + "#" +
                     QString::number(list->itemNumber(block));
    if (QTextCursor(block).currentTable())
        parts << "cell";
    return parts.join(',');
}

} // namespace

QString documentSignature(const QTextDocument& doc) {
    QString out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        out += "[" + blockSignature(block) + "]";
        QString lastSig;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString sig = charSignature(fragment.charFormat(), doc);
            if (sig != lastSig)
                out += " {" + sig + "}";
            lastSig = sig;
            out += fragment.text();
        }
        out += "\n";
    }
    return out;
}

} // namespace velcaro::rtf::test
