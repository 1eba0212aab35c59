#include "qt/qt_text_box.h"

#include "platform/velcaro_error.h"

#include <QLineEdit>

namespace velcaro {

QString QtTextBox::Text() const {
    return edit_ ? edit_->text() : QString();
}

void QtTextBox::setText(const QString& text) {
    if (!edit_)
        throw VelcaroError(error::kInternal, QStringLiteral("La casella di testo non esiste più."));
    edit_->setText(text);
    edit_->setCursorPosition(0);
}

} // namespace velcaro
