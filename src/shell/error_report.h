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
    // Runs a step without which the program cannot go on (the first showing of the main
    // window): a failure is written to standard error, with no window to show it over.
    // Returns whether the step succeeded.
    bool runOrPrint(const std::function<void()>& handler) noexcept;
    void report(int number, const QString& description) noexcept;

    static QString text(int number, const QString& description);

private:
    // Runs `handler`; on a failure, sets its number and description and returns false.
    static bool attempt(const std::function<void()>& handler, int& number,
                        QString& description) noexcept;

    MessageBox& messageBox_;
};

} // namespace velcaro
