#include "qt/qt_file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace velcaro {

void QtFileDialog::ShowOpen() {
    show(false);
}

void QtFileDialog::ShowSave() {
    show(true);
}

void QtFileDialog::show(bool save) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("CommonDialog1"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!fileName_.isEmpty()) {
        const QFileInfo proposed(fileName_);
        if (proposed.dir().exists())
            dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    }
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    fileName_ = accepted ? dialog.selectedFiles().constFirst() : QString();
}

} // namespace velcaro
