#include "qt/web_engine/qt_script_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace velcaro {

QtScriptDialog::QtScriptDialog(Kind kind, const QString& origin, const QString& message,
                               const QString& defaultValue, bool offerToStop, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ScriptDialog"));
    setWindowTitle(origin.isEmpty() ? QStringLiteral("Messaggio della pagina")
                                    : QStringLiteral("Messaggio della pagina %1").arg(origin));
    setWindowModality(Qt::NonModal);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(message, this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    if (kind == Kind::Prompt) {
        input_ = new QLineEdit(defaultValue, this);
        layout->addWidget(input_);
    }
    if (offerToStop) {
        stop_ = new QCheckBox(
            QStringLiteral("Non permettere a questa pagina di aprire altre finestre di dialogo"),
            this);
        stop_->setObjectName(QStringLiteral("StopDialogs"));
        layout->addWidget(stop_);
    }
    auto* buttons =
        new QDialogButtonBox(kind == Kind::Alert ? QDialogButtonBox::Ok
                                                 : QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                             this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString QtScriptDialog::value() const {
    return input_ ? input_->text() : QString();
}

bool QtScriptDialog::stopRequested() const {
    return stop_ && stop_->isChecked();
}

} // namespace velcaro
