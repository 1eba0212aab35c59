#include "batch_capture/robots_rules.h"

#include "rtf/hex_digit.h"

#include <QByteArrayView>
#include <algorithm>

namespace velcaro {
namespace {

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// One form for percent-encoding: unreserved characters decoded, the rest of what is encoded
// (and every byte outside printable ASCII) encoded with capital hex digits.
QByteArray normalized(const QByteArray& path) {
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        auto byte = static_cast<unsigned char>(path[i]);
        if (byte == '%' && i + 2 < path.size() && rtf::hexDigitValue(path[i + 1]) >= 0 &&
            rtf::hexDigitValue(path[i + 2]) >= 0) {
            byte = static_cast<unsigned char>(rtf::hexDigitValue(path[i + 1]) * 16 +
                                              rtf::hexDigitValue(path[i + 2]));
            i += 2;
            if (isUnreserved(static_cast<char>(byte))) {
                out += static_cast<char>(byte);
                continue;
            }
        } else if (byte > 0x20 && byte < 0x7f) {
            out += static_cast<char>(byte);
            continue;
        }
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0xf];
    }
    return out;
}

// Where the first `needle` in `text` at or after `from` ends, or -1. Knuth-Morris-Pratt: time
// linear in both, however much they repeat themselves.
qsizetype endOfFirst(QByteArrayView needle, QByteArrayView text, qsizetype from) {
    if (needle.isEmpty())
        return from;
    // border[i]: the longest proper prefix of needle[0..i] that also ends it.
    std::vector<qsizetype> border(static_cast<size_t>(needle.size()), 0);
    for (qsizetype i = 1, k = 0; i < needle.size(); ++i) {
        while (k > 0 && needle[i] != needle[k])
            k = border[static_cast<size_t>(k - 1)];
        if (needle[i] == needle[k])
            ++k;
        border[static_cast<size_t>(i)] = k;
    }
    for (qsizetype i = from, k = 0; i < text.size(); ++i) {
        while (k > 0 && text[i] != needle[k])
            k = border[static_cast<size_t>(k - 1)];
        if (text[i] == needle[k])
            ++k;
        if (k == needle.size())
            return i + 1;
    }
    return -1;
}

// Whether `pattern` matches `path` from its start: "*" for any characters, a final "$" for
// the end of the path. The parts between the stars are matched in turn, each where it first
// occurs after the one before (the earliest place leaves the most room to the rest), and the
// last at the end of the path when "$" anchors it: no backtracking, time linear in the
// pattern and the path.
bool matches(const QByteArray& pattern, const QByteArray& path) {
    const bool anchored = pattern.endsWith('$');
    const QByteArrayView glob = QByteArrayView(pattern).chopped(anchored ? 1 : 0);
    const QByteArrayView text(path);
    qsizetype star = glob.indexOf('*');
    const QByteArrayView prefix = star < 0 ? glob : glob.first(star);
    if (!text.startsWith(prefix))
        return false;
    if (star < 0)
        return !anchored || text.size() == prefix.size();
    qsizetype at = prefix.size();
    for (;;) {
        const qsizetype next = glob.indexOf('*', star + 1);
        const qsizetype end = next < 0 ? glob.size() : next;
        const QByteArrayView part = glob.sliced(star + 1, end - star - 1);
        if (next < 0 && anchored)
            return text.size() - part.size() >= at && text.endsWith(part);
        at = endOfFirst(part, text, at);
        if (next < 0 || at < 0)
            return at >= 0;
        star = next;
    }
}

// The product names of a user agent string, in lower case, without versions and comments:
// "mozilla", "applewebkit", "qtwebengine", "chrome", "safari".
QStringList productNames(const QString& userAgent) {
    QString products;
    int depth = 0;
    for (const QChar c : userAgent) {
        if (c == u'(')
            ++depth;
        else if (c == u')')
            depth = std::max(depth - 1, 0);
        else if (depth == 0)
            products += c;
    }
    QStringList names;
    for (const QString& product : products.split(u' ', Qt::SkipEmptyParts))
        names << product.section(u'/', 0, 0).toLower();
    return names;
}

// The name of a User-agent line, in lower case and without a version.
QString agentName(const QString& value) {
    return value.section(u'/', 0, 0).trimmed().toLower();
}

} // namespace

RobotsRules RobotsRules::parse(const QByteArray& body, const QString& userAgent) {
    qsizetype end = body.size();
    if (end > kMaxBodyBytes) {
        end = kMaxBodyBytes;
        if (body[end] != '\n' && body[end] != '\r')
            end = std::max(body.lastIndexOf('\n', end - 1), body.lastIndexOf('\r', end - 1)) + 1;
    }
    QByteArray text = body.left(end);
    if (text.startsWith("\xef\xbb\xbf"))
        text.remove(0, 3);
    text.replace("\r\n", "\n").replace('\r', '\n');

    RobotsRules rules;
    std::vector<std::pair<QStringList, std::vector<Rule>>> groups;
    bool inAgents = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const qsizetype comment = rawLine.indexOf('#');
        const QByteArray line = comment < 0 ? rawLine : rawLine.left(comment);
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        // A Sitemap line belongs to no group and ends none.
        if (key == "sitemap")
            continue;
        const bool agentLine = key == "user-agent";
        if (agentLine && !inAgents)
            groups.emplace_back();
        inAgents = agentLine;
        if (agentLine)
            groups.back().first << agentName(QString::fromUtf8(value));
        else if ((key == "allow" || key == "disallow") && !groups.empty() && !value.isEmpty())
            groups.back().second.push_back({normalized(value), key == "allow"});
    }

    const QStringList products = productNames(userAgent);
    QString chosen;
    for (const auto& group : groups) {
        for (const QString& agent : group.first) {
            const bool named = !agent.isEmpty() && agent != u"*" &&
                               std::any_of(products.begin(), products.end(),
                                           [&](const QString& p) { return p.contains(agent); });
            if (named && agent.size() > chosen.size())
                chosen = agent;
        }
    }
    if (chosen.isEmpty())
        chosen = QStringLiteral("*");
    for (const auto& group : groups) {
        if (group.first.contains(chosen))
            rules.rules_.insert(rules.rules_.end(), group.second.begin(), group.second.end());
    }
    return rules;
}

RobotsRules RobotsRules::unreachable(const QString& reason) {
    RobotsRules rules;
    rules.rules_.push_back({QByteArrayLiteral("/"), false});
    rules.unreachable_ = reason;
    return rules;
}

RobotsRules RobotsRules::fetched(const QByteArray& body, int httpStatus, const QString& failure,
                                 const QString& userAgent) {
    if (failure.isEmpty())
        return parse(body, userAgent);
    if (httpStatus >= 300 && httpStatus < 500 && httpStatus != 429)
        return RobotsRules();
    return unreachable(failure);
}

QString RobotsRules::refusal() const {
    return reachable()
               ? QStringLiteral("pagina vietata dal robots.txt del sito")
               : QStringLiteral("robots.txt del sito non raggiungibile (%1)").arg(unreachable_);
}

bool RobotsRules::allowed(const QUrl& url) const {
    QByteArray path = url.path(QUrl::FullyEncoded).toUtf8();
    if (path.isEmpty())
        path = "/";
    if (path == "/robots.txt")
        return true;
    if (url.hasQuery())
        path += '?' + url.query(QUrl::FullyEncoded).toUtf8();
    path = normalized(path);
    qsizetype longest = -1;
    bool allow = true;
    for (const Rule& rule : rules_) {
        const qsizetype length = rule.pattern.size();
        if ((length > longest || (length == longest && rule.allow)) &&
            matches(rule.pattern, path)) {
            longest = length;
            allow = rule.allow;
        }
    }
    return allow;
}

} // namespace velcaro
