#include "batch_capture/host_pacer.h"

#include <algorithm>

namespace velcaro {

HostPacer::HostPacer(int perHost, int delayMs)
    : perHost_(std::max(perHost, 1)), delayMs_(std::max(delayMs, 0)) {}

bool HostPacer::mayStart(const QUrl& url, qint64 nowMs) const {
    return nextStartMs(url, nowMs) <= nowMs;
}

void HostPacer::started(const QUrl& url, qint64 nowMs) {
    const QString key = hostKey(url);
    if (key.isEmpty())
        return;
    Host& host = hosts_[key];
    ++host.loading;
    host.lastStartMs = nowMs;
}

void HostPacer::finished(const QUrl& url) {
    const auto found = hosts_.find(hostKey(url));
    if (found == hosts_.end())
        return;
    found->loading = std::max(found->loading - 1, 0);
    // Without a delay, a host with no page loading has nothing left to remember.
    if (found->loading == 0 && delayMs_ == 0)
        hosts_.erase(found);
}

qint64 HostPacer::nextStartMs(const QUrl& url, qint64 nowMs) const {
    const auto found = hosts_.constFind(hostKey(url));
    if (found == hosts_.cend())
        return nowMs;
    if (found->loading >= perHost_)
        return kWhenOneFinishes;
    return std::max(nowMs, found->lastStartMs + delayMs_);
}

QString HostPacer::hostKey(const QUrl& url) {
    return url.isLocalFile() ? QString() : url.host(QUrl::EncodeUnicode).toLower();
}

} // namespace velcaro
