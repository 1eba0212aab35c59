#pragma once

#include "platform/platform.h"
#include "platform/qt_message_box.h"

namespace velcaro {

class QtPlatform : public Platform {
public:
    std::unique_ptr<Form1Ui> createForm1Ui(Form1& form) override;
    MessageBox& messageBox() override { return messageBox_; }
    QString applicationFolder() const override;
    void quit() override;

private:
    QtMessageBox messageBox_;
};

} // namespace velcaro
