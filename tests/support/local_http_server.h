#pragma once

// A web server on 127.0.0.1 for the tests: each path answers with its page (or the status and
// headers given for it), any other with 404; every request is kept, its request line and
// headers, in the order it came.

#include <QHash>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace velcaro::testing {

class LocalHttpServer {
public:
    LocalHttpServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket,
                                 [this, socket] { respond(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    // The page `path` (with its query) answers with.
    void serve(const QString& path, const QByteArray& html) {
        pages_.insert(path, {"200 OK", {}, html});
    }
    // `path` answers with `status` ("503 Service Unavailable") and `headers`, each ending in
    // CR LF ("Location: /a\r\n").
    void answer(const QString& path, const QByteArray& status, const QByteArray& headers,
                const QByteArray& body = {}) {
        pages_.insert(path, {status, headers, body});
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    // Every request so far: its request line and headers.
    const QStringList& requests() const { return requests_; }

private:
    void respond(QTcpSocket* socket) {
        QByteArray& head = partial_[socket];
        head += socket->readAll();
        if (!head.contains("\r\n\r\n"))
            return;
        requests_ << QString::fromUtf8(head.left(head.indexOf("\r\n\r\n")));
        const QString path = QString::fromUtf8(head.split(' ').value(1));
        partial_.remove(socket);
        const auto page = pages_.constFind(path);
        const Answer reply =
            page == pages_.constEnd() ? Answer{"404 Not Found", {}, "absent"} : *page;
        socket->write("HTTP/1.1 " + reply.status + "\r\n" + reply.headers +
                      "Content-Type: text/html; charset=utf-8\r\nContent-Length: " +
                      QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n\r\n" +
                      reply.body);
        socket->disconnectFromHost();
    }

    struct Answer {
        QByteArray status;
        QByteArray headers;
        QByteArray body;
    };

    QTcpServer server_;
    QHash<QString, Answer> pages_;
    QHash<QTcpSocket*, QByteArray> partial_;
    QStringList requests_;
};

} // namespace velcaro::testing
