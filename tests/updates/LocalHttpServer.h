#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QTcpServer>
#include <QUrl>

#include <functional>

namespace moravel::updatetest {

// A QCoreApplication for tests that need Qt's event loop (sockets, network replies).
void ensureCoreApplication();

// Runs the event loop until `done` holds. The limit only ends a test that has
// already failed; passing tests never reach it.
bool processEventsUntil(const std::function<bool()>& done, int safetyLimitMs = 5000);

// A plain HTTP/1.0 server on 127.0.0.1 that answers each path with a fixed
// response, or not at all for a stalled path.
class LocalHttpServer : public QObject {
public:
    struct Response {
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        QByteArray extraHeaders;  // complete header lines, each ending in \r\n
        bool stalls = false;      // accept and read the request, then never answer
    };

    LocalHttpServer();

    void serve(const QString& path, Response response) { responses_.insert(path, std::move(response)); }
    QUrl url(const QString& path) const;
    int requestCount() const { return requestCount_; }

private:
    void onNewConnection();

    QTcpServer server_;
    QHash<QString, Response> responses_;
    int requestCount_ = 0;
};

}  // namespace moravel::updatetest
