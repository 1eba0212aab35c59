#pragma once

#include "app/qt_fetcher.h"
#include "platform/capture_engine.h"
#include "platform/capture_platform.h"
#include "platform/std_console.h"

#include <memory>

namespace velcaro {

// The command-line capture on Qt: the engine chosen for the run, the console over the C
// streams, fetches with Qt Network, and the end of the run by leaving the event loop.
class QtCapturePlatform : public CapturePlatform {
public:
    // The run's report goes to `report`.
    QtCapturePlatform(std::unique_ptr<CaptureEngine> engine, std::FILE* report);

    CaptureEngine& engine() override { return *engine_; }
    Console& console() override { return console_; }
    void fetch(const FetchRequest& request, Fetched done) override {
        fetcher_.fetch(request, std::move(done));
    }
    void askRetryAfter(const QUrl& url, RetryAfterAnswered done) override {
        fetcher_.askRetryAfter(url, std::move(done));
    }
    bool readPdf(const QByteArray& pdf, QString* text, QString* title) override;
    void finish(int exitCode) override;

private:
    std::unique_ptr<CaptureEngine> engine_;
    StdConsole console_;
    QtFetcher fetcher_;
};

} // namespace velcaro
