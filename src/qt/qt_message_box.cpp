#include "qt/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace velcaro {

void QtMessageBox::MsgBox(const QString& prompt) {
    QMessageBox box(QMessageBox::NoIcon, title_, prompt, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace velcaro
