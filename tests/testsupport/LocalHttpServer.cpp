#include "testsupport/LocalHttpServer.h"

#include <QTcpSocket>

namespace moravel::fixtures {

LocalHttpServer::LocalHttpServer()
{
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto answer = [this, socket, request = QByteArray(), answered = false]() mutable {
                request += socket->readAll();
                if (answered || !request.contains("\r\n\r\n"))
                    return;
                answered = true;
                ++requestCount_;
                const QString target = QString::fromLatin1(request.split(' ').value(1));
                if (streams_.contains(target)) {
                    startStream(socket, streams_.value(target));
                    return;
                }
                // A path with a query is answered as the path alone, unless served apart.
                const auto found = replies_.contains(target) ? replies_.constFind(target)
                                                             : replies_.constFind(target.section(u'?', 0, 0));
                const QByteArray reply = found != replies_.constEnd()
                                             ? *found
                                             : "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
                if (!reply.isEmpty()) {
                    socket->write(reply);
                    socket->disconnectFromHost();
                }
            };
            connect(socket, &QTcpSocket::readyRead, socket, std::move(answer));
        }
    });
}

void LocalHttpServer::serve(const QString& path, const QByteArray& status, const QByteArray& body,
                            const QByteArray& headers)
{
    replies_.insert(path, "HTTP/1.0 " + status + "\r\nContent-Type: application/rss+xml\r\nContent-Length: "
                              + QByteArray::number(body.size()) + "\r\n" + headers + "Connection: close\r\n\r\n"
                              + body);
}

void LocalHttpServer::startStream(QTcpSocket* socket, const Stream& stream)
{
    socket->write(stream.head);
    if (!stream.endless)
        return;
    static const QByteArray chunk(64 * 1024, '#');
    // Kept a little ahead of the client: what it does not take stays unsent.
    const auto refill = [this, socket] {
        while (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 4 * chunk.size()) {
            socket->write(chunk);
            bytesStreamed_ += chunk.size();
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, refill);
    refill();
}

QUrl LocalHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

}  // namespace moravel::fixtures
