#pragma once

#include "batch_capture/robots_rules.h"

#include <QHash>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

namespace velcaro {

// Whether a capture may load a page by its site's robots.txt (`--robots`): the file of each
// site (scheme, host and port) is fetched the first time a page of the site comes, and the
// site's pages wait meanwhile. A robots.txt that could not be reached is asked again for a
// page that comes kRecheckMs later, so that a server that failed for a moment does not close
// its site for the whole run. Local files and other schemes are not concerned.
class RobotsCheck {
public:
    // Fetches the robots.txt at the address given (see CapturePlatform::fetch), with the bound
    // given, and calls back with what came.
    using Fetch = std::function<void(
        const QUrl& url, qint64 maxBytes,
        std::function<void(const QByteArray& body, int httpStatus, const QString& failure)>)>;

    // `arrived` runs when a robots.txt has come, for the pages that wait for it.
    RobotsCheck(Fetch fetch, std::function<void()> arrived);

    enum class Turn { Allowed, Wait, Refused };
    // `refusal` says why a Refused page is refused, in Italian; `userAgent` is the one the
    // engine's pages send, whose rules apply.
    Turn check(const QUrl& url, const QString& userAgent, qint64 nowMs, QString* refusal);

    static constexpr qint64 kRecheckMs = 60 * 1000;

private:
    struct Site {
        // Empty while fetched.
        std::optional<RobotsRules> rules;
        qint64 atMs = 0;
    };

    Fetch fetch_;
    std::function<void()> arrived_;
    QHash<QString, Site> sites_;
};

} // namespace velcaro
