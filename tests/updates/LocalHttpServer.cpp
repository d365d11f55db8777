#include "LocalHttpServer.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace moravel::updatetest {

void ensureCoreApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "tests_updates";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

bool processEventsUntil(const std::function<bool()>& done, int safetyLimitMs)
{
    QDeadlineTimer limit(safetyLimitMs);
    while (!done()) {
        if (limit.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

LocalHttpServer::LocalHttpServer()
{
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &LocalHttpServer::onNewConnection);
}

QUrl LocalHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
}

void LocalHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            if (socket->property("answered").toBool())
                return;
            QByteArray request = socket->property("request").toByteArray() + socket->readAll();
            socket->setProperty("request", request);
            if (!request.contains("\r\n\r\n"))
                return;
            socket->setProperty("answered", true);
            ++requestCount_;
            const QString path = QString::fromLatin1(request.split(' ').value(1));
            const Response response = responses_.value(path, Response{404, "Not Found", "missing", {}, false});
            if (response.stalls)
                return;
            socket->write("HTTP/1.0 " + QByteArray::number(response.status) + ' ' + response.reason + "\r\n"
                          + "Content-Type: application/rss+xml\r\nContent-Length: "
                          + QByteArray::number(response.body.size()) + "\r\n" + response.extraHeaders
                          + "Connection: close\r\n\r\n" + response.body);
            socket->disconnectFromHost();
        });
    }
}

}  // namespace moravel::updatetest
