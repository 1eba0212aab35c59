#include "qt/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace velcaro {

void QtMessageBox::MsgBox(const QString& prompt) {
    QMessageBox box(QMessageBox::NoIcon, title_, prompt, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtMessageBox::ask(const QString& prompt, const QString& accept, const QString& reject) {
    QMessageBox box(QMessageBox::Question, title_, prompt, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(accept, QMessageBox::AcceptRole);
    box.setEscapeButton(box.addButton(reject, QMessageBox::RejectRole));
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace velcaro
