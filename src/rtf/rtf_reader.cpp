#include "rtf/rtf_reader.h"

#include "rtf/rtf_interpreter.h"
#include "rtf/rtf_tokenizer.h"

#include <QTextCursor>
#include <QTextDocument>

namespace velcaro::rtf {
namespace {

template <typename Ch> void readDocument(const Ch* begin, const Ch* end, QTextDocument& doc) {
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    {
        // One edit block for the whole document: Qt then updates its layout and signals once.
        QTextCursor(&doc).beginEditBlock();
        RtfInterpreter interpreter(doc);
        RtfTokenizer<Ch, RtfInterpreter>(begin, end, interpreter).run();
        interpreter.finish();
        QTextCursor(&doc).endEditBlock();
    }
    doc.setUndoRedoEnabled(undo);
}

} // namespace

void readRtf(const QByteArray& rtf, QTextDocument& doc) {
    if (!rtf.startsWith("{\\rtf")) {
        doc.setPlainText(QString::fromUtf8(rtf));
        return;
    }
    readDocument(rtf.constData(), rtf.constData() + rtf.size(), doc);
}

void readRtf(const QString& rtf, QTextDocument& doc) {
    if (!rtf.startsWith(QLatin1String("{\\rtf"))) {
        doc.setPlainText(rtf);
        return;
    }
    const auto* data = reinterpret_cast<const char16_t*>(rtf.utf16());
    readDocument(data, data + rtf.size(), doc);
}

} // namespace velcaro::rtf
