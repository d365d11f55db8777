#pragma once

#include "testsupport/Application.h"

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
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
    // Answers with `head` (status line and headers, ending in an empty line),
    // then a body that never ends, sent as fast as the client takes it; or,
    // not `endless`, nothing more while the connection stays open.
    void stream(const QString& path, const QByteArray& head, bool endless = true)
    {
        streams_.insert(path, {head, endless});
    }
    QUrl url(const QString& path) const;
    int requestCount() const { return requestCount_; }
    // The bytes of body every stream has sent so far.
    qint64 bytesStreamed() const { return bytesStreamed_; }

private:
    struct Stream {
        QByteArray head;
        bool endless = true;
    };
    void startStream(QTcpSocket* socket, const Stream& stream);

    QTcpServer server_;
    QHash<QString, QByteArray> replies_;  // empty: read the request, then never answer
    QHash<QString, Stream> streams_;
    int requestCount_ = 0;
    qint64 bytesStreamed_ = 0;
};

}  // namespace moravel::fixtures
