#pragma once

#include "platform/capture_platform.h"

#include <QNetworkAccessManager>

namespace velcaro {

// The capture's fetches outside any page with Qt Network: sitemaps, robots.txt files and a
// busy server's Retry-After.
//
// Each fetch has a deadline for the whole of it (Qt's transfer time-out starts again at
// every byte, so a server that sends one now and then would hold it forever). Redirects are
// followed here, at most kMaxRedirects, to http and https only and never from https to http;
// one not followed ends the fetch with its 3xx status. Failures are told in short Italian
// reasons, not in Qt's English.
class QtFetcher {
public:
    void fetch(const FetchRequest& request, CapturePlatform::Fetched done);
    // A HEAD request of `url`, within kRetryAfterTimeoutMs.
    void askRetryAfter(const QUrl& url, CapturePlatform::RetryAfterAnswered done);

    static constexpr int kMaxRedirects = 5;
    static constexpr int kRetryAfterTimeoutMs = 30000;

private:
    QNetworkAccessManager network_;
};

} // namespace velcaro
