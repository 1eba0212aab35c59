#pragma once

#include "platform/file_dialog.h"

namespace velcaro {

// FileDialog over QFileDialog. A proposed name opens the dialog in that file's folder with
// the name filled in; a cancel empties FileName.
class QtFileDialog : public FileDialog {
public:
    QString FileName() const override { return fileName_; }
    void setFileName(const QString& name) override { fileName_ = name; }
    void ShowOpen() override;
    void ShowSave() override;

private:
    void show(bool save);

    QString fileName_;
};

} // namespace velcaro
