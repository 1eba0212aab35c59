#pragma once

#include "batch_capture/capture_runner.h"

namespace velcaro {

// A page being loaded, waited for or copied.
struct CaptureRunner::Page {
    int index = 0;
    std::unique_ptr<PageSession> session;
    QElapsedTimer clock;
    QTimer settle;
    LoadResult load;
    // Taken as it was when its load's time was up.
    bool late = false;
    bool copying = false;
    // Main text was asked for and the whole page is being taken instead.
    bool wholePageForMain = false;
    // A crawl's page answered with an HTTP error that walls show (401, 403, 429, 503): it is
    // copied only to tell a wall from the error, and fails either way.
    bool judging = false;
};

} // namespace velcaro
