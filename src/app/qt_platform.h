#pragma once

#include "app/app_record.h"
#include "platform/platform.h"
#include "platform/recovery_folder.h"
#include "qt/qt_clipboard.h"
#include "qt/qt_message_box.h"

namespace velcaro {

class QtPlatform : public Platform {
public:
    // Screen readers see the program's own windows only (QtAccessibleApplication).
    QtPlatform();

    std::unique_ptr<Form1Ui> createForm1Ui(Form1& form) override;
    std::unique_ptr<Form3Ui> createForm3Ui(Form3& form) override;
    MessageBox& messageBox() override { return messageBox_; }
    Clipboard& clipboard() override { return clipboard_; }
    // The folder "recupero" of the user's data folder (AppLocalDataLocation).
    TextRecovery& textRecovery() override { return recovery_; }
    QString applicationFolder() const override;
    void quit() override;
    // The next browser window built tells, over its browser area, when the web engine's
    // security fixes are more than a year old (QtEngineNotice): once a start.
    void tellOfOldEngine() { tellOfOldEngine_ = true; }

private:
    QtMessageBox messageBox_{AppRecord::title()};
    QtClipboard clipboard_;
    RecoveryFolder recovery_;
    bool tellOfOldEngine_ = false;
};

} // namespace velcaro
