#include "qt/qt_text_box.h"

#include "platform/velcaro_error.h"

#include <QLineEdit>

namespace velcaro {

QString QtTextBox::Text() const {
    return edit_ ? edit_->text() : QString();
}

QLineEdit& QtTextBox::edit() const {
    if (!edit_)
        throw VelcaroError(error::kInternal, QStringLiteral("La casella di testo non esiste più."));
    return *edit_;
}

void QtTextBox::setText(const QString& text) {
    edit().setText(text);
    edit().setCursorPosition(0);
}

void QtTextBox::setSelStart(int start) {
    edit().setCursorPosition(start);
}

void QtTextBox::setSelLength(int length) {
    edit().setSelection(edit().cursorPosition(), length);
}

} // namespace velcaro
