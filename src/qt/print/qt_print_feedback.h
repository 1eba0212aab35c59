#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <functional>

class QWidget;

namespace velcaro {

// What the user sees while a print job works: a busy cursor at once and, once the job has
// taken about a second, a small progress window with a Cancel button. Both go away with the
// object.
class QtPrintFeedback {
public:
    QtPrintFeedback(QWidget* parent, const QString& label);
    ~QtPrintFeedback();
    QtPrintFeedback(const QtPrintFeedback&) = delete;
    QtPrintFeedback& operator=(const QtPrintFeedback&) = delete;

    bool cancelled() const { return cancelled_; }
    // Runs when the user presses Cancel.
    void onCancel(std::function<void()> action) { onCancel_ = std::move(action); }

    static constexpr int kShowAfterMs = 1000;

private:
    QPointer<QProgressDialog> dialog_;
    bool cancelled_ = false;
    std::function<void()> onCancel_;
};

} // namespace velcaro
