#include "batch_capture/robots_check.h"

namespace velcaro {
namespace {

// The site a robots.txt stands for: scheme, host and port.
QString siteOf(const QUrl& url) {
    return url
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                  QUrl::RemoveFragment)
        .toString();
}

} // namespace

RobotsCheck::RobotsCheck(Fetch fetch, std::function<void()> arrived)
    : fetch_(std::move(fetch)), arrived_(std::move(arrived)) {}

RobotsCheck::Turn RobotsCheck::check(const QUrl& url, const QString& userAgent, qint64 nowMs,
                                     QString* refusal) {
    if (url.scheme() != u"http" && url.scheme() != u"https")
        return Turn::Allowed;
    const QString site = siteOf(url);
    const auto found = sites_.constFind(site);
    const bool recheck = found != sites_.constEnd() && found->rules && !found->rules->reachable() &&
                         nowMs - found->atMs >= kRecheckMs;
    if (found == sites_.constEnd() || recheck) {
        sites_[site] = Site();
        // One byte past the rules' bound, so that they see whether it cuts a line.
        fetch_(QUrl(site + QStringLiteral("/robots.txt")), RobotsRules::kMaxBodyBytes + 1,
               [this, site, userAgent, nowMs](const QByteArray& body, int status,
                                              const QString& failure) {
                   Site& fetched = sites_[site];
                   fetched.rules = RobotsRules::fetched(body, status, failure, userAgent);
                   fetched.atMs = nowMs;
                   arrived_();
               });
        return Turn::Wait;
    }
    if (!found->rules)
        return Turn::Wait;
    if (found->rules->allowed(url))
        return Turn::Allowed;
    *refusal = found->rules->refusal();
    return Turn::Refused;
}

} // namespace velcaro
