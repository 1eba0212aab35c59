// The capture's fetches outside any page, against local servers: the agent sent, the bound on
// the body, the redirects followed and those not, the whole-fetch deadline, the reasons.

#include "app/qt_fetcher.h"
#include "support/local_http_server.h"

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

struct Fetched {
    QByteArray body;
    int status = -1;
    QString failure;
};

Fetched fetch(const QString& url, qint64 maxBytes = 1 << 20, int timeoutMs = 5000) {
    QtFetcher fetcher;
    Fetched fetched;
    QEventLoop loop;
    fetcher.fetch({QUrl(url), QStringLiteral("Mozilla/5.0 Velcarobot/1.0"), timeoutMs, maxBytes},
                  [&](const QByteArray& body, int status, const QString& failure) {
                      fetched = {body, status, failure};
                      loop.quit();
                  });
    // Only a guard for a fetch that never answers: the check is on what it answered.
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return fetched;
}

// Answers every request with a 200 and a body without end: `chunk` every `everyMs`.
class EndlessServer {
public:
    EndlessServer(const QByteArray& chunk, int everyMs) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this, chunk, everyMs] {
            QTcpSocket* socket = server_.nextPendingConnection();
            auto* pace = new QTimer(socket);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, pace, everyMs] {
                if (!socket->readAll().contains("\r\n\r\n") || pace->isActive())
                    return;
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                              "Connection: close\r\n\r\n");
                pace->start(everyMs);
            });
            QObject::connect(pace, &QTimer::timeout, socket, [socket, chunk] {
                if (socket->bytesToWrite() < (1 << 20))
                    socket->write(chunk);
            });
        });
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

private:
    QTcpServer server_;
};

TEST(QtFetcherTest, TheBodyComesWithTheEnginesAgentAndUpToItsBound) {
    LocalHttpServer server;
    server.serve("/robots.txt", "User-agent: *\nDisallow: /privato\n");
    const Fetched whole = fetch(server.url("/robots.txt"));
    EXPECT_EQ(whole.body, "User-agent: *\nDisallow: /privato\n");
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.failure, QString());
    // Header names are read without case: Qt 6.8 sends "user-agent".
    EXPECT_TRUE(server.requests().constFirst().toLower().contains(
        "\r\nuser-agent: mozilla/5.0 velcarobot/1.0"))
        << server.requests().constFirst().toStdString();
    EXPECT_EQ(fetch(server.url("/robots.txt"), 10).body, "User-agent");

    // A body without end is cut at the bound, and the fetch ends there.
    EndlessServer endless(QByteArray(65536, '#'), 0);
    const Fetched cut = fetch(endless.url("/robots.txt"), 500 * 1024);
    EXPECT_EQ(cut.body, QByteArray(500 * 1024, '#'));
    EXPECT_EQ(cut.failure, QString());
}

TEST(QtFetcherTest, AServerThatSendsAByteNowAndThenIsLeftAtTheDeadline) {
    EndlessServer trickle("#", 100);
    const Fetched late = fetch(trickle.url("/sitemap.xml"), 1 << 20, 1000);
    EXPECT_EQ(late.failure, QStringLiteral("il file non è arrivato intero entro 1 s"));
    EXPECT_EQ(late.status, 0);
    EXPECT_TRUE(late.body.isEmpty());
}

TEST(QtFetcherTest, RedirectsAreFollowedToWebAddressesOnlyAndAtMostFive) {
    LocalHttpServer server;
    for (int i = 1; i <= 6; ++i)
        server.answer(QStringLiteral("/r%1").arg(i), "302 Found",
                      QStringLiteral("Location: /r%1\r\n").arg(i + 1).toUtf8());
    server.serve("/r7", "arrivato");
    server.answer("/file", "301 Moved Permanently", "Location: file:///etc/hostname\r\n");
    server.answer("/nowhere", "302 Found", "");
    server.answer("/broken", "500 Internal Server Error", "");
    const struct {
        const char* path;
        int status;
        const char* failure;
        const char* body;
    } cases[] = {
        {"/r2", 200, "", "arrivato"},
        {"/r1", 302, "più di 5 rinvii", ""},
        {"/file", 301, "rinvio a un indirizzo file:, non seguito", ""},
        {"/nowhere", 302, "rinvio senza un indirizzo valido", ""},
        {"/broken", 500, "errore HTTP 500", ""},
        {"/missing", 404, "errore HTTP 404", ""},
    };
    for (const auto& c : cases) {
        const Fetched fetched = fetch(server.url(c.path));
        EXPECT_EQ(fetched.status, c.status) << c.path;
        EXPECT_EQ(fetched.failure, QString::fromUtf8(c.failure)) << c.path;
        EXPECT_EQ(fetched.body, c.body) << c.path;
    }
}

TEST(QtFetcherTest, NetworkFailuresAreToldInItalian) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const Fetched refused = fetch(QStringLiteral("http://127.0.0.1:%1/robots.txt").arg(port));
    EXPECT_EQ(refused.failure, QStringLiteral("connessione rifiutata"));
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(fetch(QStringLiteral("gopher://127.0.0.1/sitemap.xml")).failure,
              QStringLiteral("protocollo non supportato"));
}

} // namespace
