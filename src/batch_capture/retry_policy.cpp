#include "batch_capture/retry_policy.h"

#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>
#include <limits>

namespace velcaro {
namespace {

constexpr int kMaxSeconds = std::numeric_limits<int>::max();

int month(const QString& name) {
    static const QStringList names{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return static_cast<int>(names.indexOf(name)) + 1;
}

// Invalid when a part is.
QDateTime utc(int year, const QString& monthName, const QString& day, const QString& time) {
    return QDateTime(QDate(year, month(monthName), day.toInt()),
                     QTime::fromString(time, QStringLiteral("hh:mm:ss")), Qt::UTC);
}

// "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" (a two-digit year more
// than 50 years ahead of `now` is of the century before) or "Sun Nov  6 08:49:37 1994".
QDateTime httpDate(const QByteArray& text, const QDateTime& now) {
    const QStringList parts = QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
    if (parts.size() == 6 && parts[0].endsWith(u',') && parts[3].size() == 4 && parts[5] == "GMT")
        return utc(parts[3].toInt(), parts[2], parts[1], parts[4]);
    if (parts.size() == 4 && parts[0].endsWith(u',') && parts[3] == "GMT") {
        const QStringList date = parts[1].split(u'-');
        if (date.size() != 3 || date[2].size() != 2)
            return {};
        const int thisYear = now.toUTC().date().year();
        int year = thisYear / 100 * 100 + date[2].toInt();
        if (year > thisYear + 50)
            year -= 100;
        return utc(year, date[1], date[0], parts[2]);
    }
    if (parts.size() == 5 && parts[4].size() == 4)
        return utc(parts[4].toInt(), parts[1], parts[2], parts[3]);
    return {};
}

} // namespace

RetryPolicy::RetryPolicy(int retries, Random random)
    : retries_(std::max(retries, 0)), random_(std::move(random)) {
    if (!random_)
        random_ = [] {
            return QRandomGenerator::global()->generateDouble();
        };
}

bool RetryPolicy::isTransient(const PageFailure& failure) {
    switch (failure.error) {
    case PageError::TimedOut:
    case PageError::Reset:
    case PageError::Refused:
    case PageError::ProcessEnded:
        return true;
    case PageError::HttpStatus:
        return failure.httpStatus == 429 || failure.httpStatus == 502 ||
               failure.httpStatus == 503 || failure.httpStatus == 504;
    case PageError::NoText:
        return failure.pageHasText;
    default:
        return false;
    }
}

bool RetryPolicy::shouldRetry(const PageFailure& failure, int triesSoFar) const {
    return isTransient(failure) && triesSoFar <= retries_;
}

int RetryPolicy::delayMs(int triesSoFar, const PageFailure& failure) const {
    const int doublings = std::clamp(triesSoFar - 1, 0, 16);
    const qint64 backOff = std::min<qint64>(qint64(kFirstDelayMs) << doublings, kMaxBackOffMs);
    const qint64 half = backOff / 2;
    int delay = static_cast<int>(half + static_cast<qint64>(random_() * double(backOff - half)));
    if (failure.retryAfterSeconds >= 0)
        delay = std::max(delay, std::min(failure.retryAfterSeconds, kMaxRetryAfterSeconds) * 1000);
    return delay;
}

int parseRetryAfter(const QByteArray& value, const QDateTime& now) {
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return -1;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        bool ok = false;
        const qint64 seconds = text.toLongLong(&ok);
        return ok ? static_cast<int>(std::min<qint64>(seconds, kMaxSeconds)) : kMaxSeconds;
    }
    const QDateTime date = httpDate(text, now);
    if (!date.isValid())
        return -1;
    return static_cast<int>(std::clamp<qint64>(now.secsTo(date), 0, kMaxSeconds));
}

} // namespace velcaro
