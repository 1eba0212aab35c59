#include "qt/print/qt_print_feedback.h"

#include <QGuiApplication>
#include <QProgressBar>

namespace velcaro {

QtPrintFeedback::QtPrintFeedback(QWidget* parent, const QString& label)
    : dialog_(new QProgressDialog(label, QStringLiteral("Annulla"), 0, 0, parent)) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    dialog_->setObjectName(QStringLiteral("PrintProgress"));
    dialog_->setWindowTitle(QStringLiteral("Velcaro - Stampa"));
    if (auto* bar = dialog_->findChild<QProgressBar*>())
        bar->setAccessibleName(QStringLiteral("Avanzamento della stampa"));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(kShowAfterMs);
    QObject::connect(dialog_, &QProgressDialog::canceled, dialog_, [this] {
        cancelled_ = true;
        if (onCancel_)
            onCancel_();
    });
}

QtPrintFeedback::~QtPrintFeedback() {
    QGuiApplication::restoreOverrideCursor();
    delete dialog_;
}

} // namespace velcaro
