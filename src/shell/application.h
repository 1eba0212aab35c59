#pragma once

#include "shell/error_report.h"

#include <QString>
#include <memory>

namespace velcaro {

class Form1;
class Form3;
class Platform;

// The running program: the platform it runs on, the default instance of each window class
// (created on first reference), the message box and the error report.
class Application {
public:
    explicit Application(Platform& platform);
    ~Application();

    Form1& form1();
    Form3& form3();

    Platform& platform() { return platform_; }
    ErrorReport& errorReport() { return errorReport_; }
    void MsgBox(const QString& prompt);
    QString appPath() const;

    // Ends the program when none of its windows is visible any more (a window loaded hidden
    // only to reach its controls does not count). Checked each time a window is unloaded.
    void quitWhenNoWindowIsVisible();

private:
    Platform& platform_;
    ErrorReport errorReport_;
    std::unique_ptr<Form1> form1_;
    std::unique_ptr<Form3> form3_;
    bool quitting_ = false;
};

} // namespace velcaro
