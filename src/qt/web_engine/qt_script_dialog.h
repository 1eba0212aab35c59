#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace velcaro {

// The window a page's alert, confirm, prompt or leave-page question opens. It blocks neither
// the browser window nor the program: the menu and the close box stay usable while a page
// shows one dialog after another. From the third dialog of a burst it offers to stop the
// page's further dialogs.
class QtScriptDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Alert, Confirm, Prompt };

    QtScriptDialog(Kind kind, const QString& origin, const QString& message,
                   const QString& defaultValue, bool offerToStop, QWidget* parent);

    QString value() const;
    // Whether the user asked that the page open no more dialogs.
    bool stopRequested() const;

private:
    QLineEdit* input_ = nullptr;
    QCheckBox* stop_ = nullptr;
};

} // namespace velcaro
