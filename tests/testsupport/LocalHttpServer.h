#pragma once

#include "testsupport/Application.h"

#include <QHash>
#include <QTcpServer>
#include <QUrl>

namespace moravel::fixtures {

// A plain HTTP/1.0 server on 127.0.0.1 that answers each path with a fixed
// reply (a path without a query answers whatever query comes with it), 404
// for paths it was not given, and never for a stalled path.
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
