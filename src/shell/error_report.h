#pragma once

#include <QString>
#include <functional>

namespace velcaro {

class MessageBox;

// Runs event handlers and reports a failure that escapes one: a message box with the error's
// number and description. The handler is abandoned; the program and its windows go on.
class ErrorReport {
public:
    explicit ErrorReport(MessageBox& messageBox) : messageBox_(messageBox) {}

    void run(const std::function<void()>& handler) noexcept;
    void report(int number, const QString& description) noexcept;

    static QString text(int number, const QString& description);

private:
    MessageBox& messageBox_;
};

} // namespace velcaro
