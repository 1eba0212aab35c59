#pragma once

#include "platform/capture_engine.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

namespace velcaro {

// Why a page of a capture failed, as far as the decision to try it again needs.
struct PageFailure {
    PageError error = PageError::Other;
    // With HttpStatus: the server's status code.
    int httpStatus = 0;
    // The server's Retry-After in seconds (see parseRetryAfter); -1 when it sent none.
    int retryAfterSeconds = -1;
    // With NoText: the page showed text, yet nothing was copied.
    bool pageHasText = false;
};

// When a failed page of a capture is tried again (`--retries N`) and after how long. Only
// transient failures are tried again: a time-out, a connection reset or refused, HTTP 429,
// 502, 503 and 504, a page with text of which nothing was copied, and a page whose process
// ended (a browser that crashed or was killed takes its pages in flight with it).
//
// The wait before try k (k = 2, 3, ...) is an exponential back-off of 1 s doubling up to
// 60 s, with equal jitter: half of it fixed, the other half random. A Retry-After of the
// server longer than that wait is waited instead, up to 10 minutes.
class RetryPolicy {
public:
    // A number in [0, 1).
    using Random = std::function<double()>;

    // Without `random`, the jitter comes from the system's generator.
    explicit RetryPolicy(int retries, Random random = {});

    static bool isTransient(const PageFailure& failure);
    // `triesSoFar` counts the tries made, the failed one included.
    bool shouldRetry(const PageFailure& failure, int triesSoFar) const;
    // The wait before the next try.
    int delayMs(int triesSoFar, const PageFailure& failure) const;

    int retries() const { return retries_; }

    static constexpr int kFirstDelayMs = 1000;
    static constexpr int kMaxBackOffMs = 60 * 1000;
    static constexpr int kMaxRetryAfterSeconds = 10 * 60;

private:
    int retries_;
    Random random_;
};

// The seconds a Retry-After header value asks to wait from `now`: delta-seconds, or an
// HTTP-date (the IMF-fixdate and the two obsolete forms) of which a past one asks for none.
// -1 when the value is neither.
int parseRetryAfter(const QByteArray& value, const QDateTime& now);

} // namespace velcaro
