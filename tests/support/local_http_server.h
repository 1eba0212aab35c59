#pragma once

// A web server on 127.0.0.1 for the tests: each path answers with its page, any other with
// 404; every request is kept, its request line and headers, in the order it came.

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
                                 [this, socket] { answer(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    // The page `path` (with its query) answers with.
    void serve(const QString& path, const QByteArray& html) { pages_.insert(path, html); }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    // Every request so far: its request line and headers.
    const QStringList& requests() const { return requests_; }

private:
    void answer(QTcpSocket* socket) {
        QByteArray& head = partial_[socket];
        head += socket->readAll();
        if (!head.contains("\r\n\r\n"))
            return;
        requests_ << QString::fromUtf8(head.left(head.indexOf("\r\n\r\n")));
        const QString path = QString::fromUtf8(head.split(' ').value(1));
        partial_.remove(socket);
        const auto page = pages_.constFind(path);
        const QByteArray body = page == pages_.constEnd() ? QByteArray("absent") : *page;
        socket->write((page == pages_.constEnd() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK") +
                      QByteArray("\r\nContent-Type: text/html; charset=utf-8\r\n"
                                 "Content-Length: ") +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QString, QByteArray> pages_;
    QHash<QTcpSocket*, QByteArray> partial_;
    QStringList requests_;
};

} // namespace velcaro::testing
