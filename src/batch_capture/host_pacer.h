#pragma once

#include <QHash>
#include <QString>
#include <QUrl>
#include <limits>

namespace velcaro {

// Politeness towards each site of a capture: at most `perHost` pages of one host loading at
// once (`--per-host`), and at least `delayMs` between two starts on one host (`--delay`). The
// host is the address's host name without case, whatever the scheme and port. A local file,
// or any address without a host, is not paced.
//
// Times are milliseconds on any clock that does not go back, given by the caller.
class HostPacer {
public:
    // `perHost` below 1 is taken as 1.
    HostPacer(int perHost, int delayMs);

    bool mayStart(const QUrl& url, qint64 nowMs) const;
    void started(const QUrl& url, qint64 nowMs);
    void finished(const QUrl& url);
    // When a page of the host of `url` may start: `nowMs` when it may now, a later time when
    // only the delay keeps it waiting, kWhenOneFinishes when its host has all its pages
    // loading.
    qint64 nextStartMs(const QUrl& url, qint64 nowMs) const;

    // The key of the address's host: its name in ASCII (IDNA) and lower case; empty for a
    // local file or an address without a host.
    static QString hostKey(const QUrl& url);

    static constexpr qint64 kWhenOneFinishes = std::numeric_limits<qint64>::max();

private:
    struct Host {
        int loading = 0;
        qint64 lastStartMs = 0;
    };

    int perHost_;
    int delayMs_;
    QHash<QString, Host> hosts_;
};

} // namespace velcaro
