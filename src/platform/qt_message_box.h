#pragma once

#include "platform/message_box.h"

namespace velcaro {

class QtMessageBox : public MessageBox {
public:
    void MsgBox(const QString& prompt) override;
};

} // namespace velcaro
