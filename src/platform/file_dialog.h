#pragma once

#include <QString>

namespace velcaro {

// The open and save file dialog. FileName is the name proposed when the dialog opens and,
// after it closes, the chosen file's full path; a cancelled dialog leaves it empty.
class FileDialog {
public:
    virtual ~FileDialog() = default;

    virtual QString FileName() const = 0;
    virtual void setFileName(const QString& name) = 0;
    virtual void ShowOpen() = 0;
    virtual void ShowSave() = 0;
};

} // namespace velcaro
