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

    // Reads at most kMaxBodyBytes of `body`; lines may end in LF, CRLF or CR, the body may
    // start with a UTF-8 byte-order mark, and "#" starts a comment.
    static RobotsRules parse(const QByteArray& body, const QString& userAgent);
    // Allows nothing but /robots.txt: for a site whose robots.txt could not be read because
    // of the server.
    static RobotsRules disallowingAll();

    // /robots.txt itself is always allowed.
    bool allowed(const QUrl& url) const;

    static constexpr qsizetype kMaxBodyBytes = 500 * 1024;

private:
    struct Rule {
        QByteArray pattern;
        bool allow = false;
    };

    std::vector<Rule> rules_;
};

} // namespace velcaro
