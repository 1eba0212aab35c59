#pragma once

#include "app/qt_fetcher.h"
#include "platform/capture_platform.h"
#include "platform/std_console.h"
#include "qt/qt_clipboard.h"
#include "qt/qt_rich_text_box.h"

#include <QTextEdit>
#include <QWidget>

namespace velcaro {

// The command-line capture on Qt: its pages sit in one window of the offscreen platform
// (which gives the program a clipboard of its own), the copied text goes into a text box like
// the captured-text window's, and the run ends by leaving the event loop.
class QtCapturePlatform : public CapturePlatform {
public:
    // The run's report goes to `report`.
    explicit QtCapturePlatform(std::FILE* report = stderr);

    std::unique_ptr<CapturePage> createPage() override;
    Clipboard& clipboard() override { return clipboard_; }
    RichTextBox& textBox() override { return textBox_; }
    Console& console() override { return console_; }
    void fetch(const FetchRequest& request, Fetched done) override {
        fetcher_.fetch(request, std::move(done));
    }
    void askRetryAfter(const QUrl& url, RetryAfterAnswered done) override {
        fetcher_.askRetryAfter(url, std::move(done));
    }
    void finish(int exitCode) override;

private:
    QWidget host_;
    QTextEdit edit_;
    QtRichTextBox textBox_;
    QtClipboard clipboard_;
    StdConsole console_;
    QtFetcher fetcher_;
};

} // namespace velcaro
