#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <vector>

namespace velcaro {

// The rules of a site's robots.txt that apply to one user agent.
//
// The group that applies is the one whose User-agent names a product of the agent: a name
// found, without case, inside one of the product names of the agent's string ("QtWebEngine",
// "Chrome" in "... QtWebEngine/6.4.2 Chrome/102.0.5005.177 ..."); of several, the longest
// name; several groups of that name count as one. Without one, the "*" groups apply.
//
// An address is allowed unless the longest pattern matching its path and query is a
// Disallow one; an Allow pattern as long wins. A pattern matches from the start of the path;
// "*" stands for any characters and a final "$" ends the match at the end of the path.
// Percent-encoding is compared in one form: characters that need no encoding decoded, the
// others encoded with capital hex digits.
class RobotsRules {
public:
    // Allows everything: a robots.txt that is missing or empty.
    RobotsRules() = default;

    // Reads the lines that end within the first kMaxBodyBytes of `body`: all of a body no
    // longer, and of a longer one all but a line the bound cuts (half a rule could allow or
    // forbid more than the whole). Lines may end in LF, CRLF or CR, the body may start with a
    // UTF-8 byte-order mark, and "#" starts a comment.
    static RobotsRules parse(const QByteArray& body, const QString& userAgent);
    // Allows nothing but /robots.txt: for a site whose robots.txt could not be reached (a
    // server error, no answer); `reason` says why, in Italian.
    static RobotsRules unreachable(const QString& reason);
    // What a fetch of robots.txt gives (see CapturePlatform::fetch), as RFC 9309 reads it: the
    // rules of the body that came; all allowed when the file is unavailable (a 4xx, a
    // redirect not followed); nothing allowed when it is unreachable (a 5xx, no answer, and
    // a 429: the server asks for a pause, it does not say the file is missing).
    static RobotsRules fetched(const QByteArray& body, int httpStatus, const QString& failure,
                               const QString& userAgent);

    // /robots.txt itself is always allowed.
    bool allowed(const QUrl& url) const;
    // Why a page these rules do not allow is refused, in Italian.
    QString refusal() const;
    bool reachable() const { return unreachable_.isEmpty(); }

    static constexpr qsizetype kMaxBodyBytes = 500 * 1024;

private:
    struct Rule {
        QByteArray pattern;
        bool allow = false;
    };

    std::vector<Rule> rules_;
    // Why the robots.txt could not be reached; empty when it was read, or is missing.
    QString unreachable_;
};

} // namespace velcaro
