#pragma once

#include <QString>

namespace velcaro {

// The modal message box, titled with the application title.
class MessageBox {
public:
    virtual ~MessageBox() = default;

    // The prompt with an OK button.
    virtual void MsgBox(const QString& prompt) = 0;
    // The prompt as a question with two buttons: whether `accept` was chosen. Enter chooses
    // `accept`, Escape and the close box `reject`.
    virtual bool ask(const QString& prompt, const QString& accept, const QString& reject) = 0;
};

} // namespace velcaro
