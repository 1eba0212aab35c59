#pragma once

#include <QString>

namespace velcaro {

// The modal message box with an OK button only, titled with the application title.
class MessageBox {
public:
    virtual ~MessageBox() = default;

    virtual void MsgBox(const QString& prompt) = 0;
};

} // namespace velcaro
