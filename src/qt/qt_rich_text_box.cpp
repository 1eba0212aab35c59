#include "qt/qt_rich_text_box.h"

#include "platform/atomic_file.h"
#include "platform/velcaro_error.h"
#include "qt/qt_busy_cursor.h"
#include "qt/qt_plain_text_reader.h"
#include "qt/twips.h"
#include "rtf/rtf_reader.h"
#include "rtf/rtf_writer.h"

namespace velcaro {

QtRichTextBox::QtRichTextBox(QTextEdit* edit, const TwipsRect& designed)
    : edit_(edit), rect_(designed) {
    place();
}

QTextEdit& QtRichTextBox::edit() const {
    if (!edit_)
        throw VelcaroError(error::kInternal, QStringLiteral("L'area di testo non esiste più."));
    return *edit_;
}

QString QtRichTextBox::Text() {
    return edit().toPlainText();
}

void QtRichTextBox::setText(const QString& text) {
    const QtBusyCursor busy;
    edit().setPlainText(text);
    edit().document()->clearUndoRedoStacks();
}

void QtRichTextBox::setTextRTF(const QString& rtf) {
    const QtBusyCursor busy;
    QTextEdit& e = edit();
    rtf::readRtf(rtf, *e.document());
    e.document()->clearUndoRedoStacks();
    e.moveCursor(QTextCursor::Start);
}

void QtRichTextBox::Refresh() {
    edit().viewport()->update();
}

void QtRichTextBox::SaveFile(const QString& path, int type) {
    const QtBusyCursor busy;
    writeFileAtomically(path, fileContent(type));
}

QByteArray QtRichTextBox::fileContent(int type) {
    const QTextDocument& doc = *edit().document();
    return type == rtfRTF ? rtf::writeRtf(doc) : doc.toPlainText().toUtf8();
}

void QtRichTextBox::readText(std::function<void(const QString&)> done) {
    QtPlainTextReader::start(*edit().document(), readers_, std::move(done));
}

void QtRichTextBox::setHeight(float twips) {
    rect_.height = twips;
    place();
}

void QtRichTextBox::setWidth(float twips) {
    rect_.width = twips;
    place();
}

void QtRichTextBox::place() {
    if (edit_)
        edit_->setGeometry(Twips::toPixels(rect_));
}

} // namespace velcaro
