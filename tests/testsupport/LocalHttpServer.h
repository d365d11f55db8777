#pragma once

#include <QCoreApplication>
#include <QHash>
#include <QTcpServer>
#include <QUrl>

#include <functional>

namespace moravel::fixtures {

// Runs the event loop until `done` holds. The limit only ends a test that has
// already failed; passing tests never reach it.
bool processEventsUntil(const std::function<bool()>& done, int safetyLimitMs = 5000);

// A plain HTTP/1.0 server on 127.0.0.1 that answers each path with a fixed
// reply, 404 for paths it was not given, and never for a stalled path.
class LocalHttpServer : public QObject {
public:
    LocalHttpServer();

    // `headers` are complete lines, each ending in \r\n.
    void serve(const QString& path, const QByteArray& status, const QByteArray& body, const QByteArray& headers = {});
    void stall(const QString& path) { replies_.insert(path, {}); }
    QUrl url(const QString& path) const;
    int requestCount() const { return requestCount_; }

private:
    QTcpServer server_;
    QHash<QString, QByteArray> replies_;  // empty: read the request, then never answer
    int requestCount_ = 0;
};

}  // namespace moravel::fixtures
