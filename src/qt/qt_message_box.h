#pragma once

#include "platform/message_box.h"

#include <utility>

namespace velcaro {

class QtMessageBox : public MessageBox {
public:
    // `title` heads every box.
    explicit QtMessageBox(QString title) : title_(std::move(title)) {}

    void MsgBox(const QString& prompt) override;
    bool ask(const QString& prompt, const QString& accept, const QString& reject) override;

private:
    QString title_;
};

} // namespace velcaro
