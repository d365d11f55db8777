#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/remote/NodeExporterReadings.h"
#include "monitor/remote/RemoteAddress.h"
#include "support/Scheduler.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>

#include <optional>
#include <vector>

class QNetworkReply;

namespace moravel {

// How long to leave an unreachable exporter alone after `failures` failed
// readings in a row: 1 s (the next tick), doubling up to 16 s, so a machine
// that comes back is seen again within that.
double retryDelaySeconds(int failures);

// Another machine's readings, from its Prometheus node exporter's page, read
// over HTTP(S) without ever waiting on the network: each per-second request
// fetches the page, which answers it when it arrives, or fails after 2 s.
// Certificates are always verified (Qt's default, never relaxed here), and
// redirects stay on the same scheme, host and port. What the exporter does not
// publish (processes, GPUs, collectors that are off) is absent.
class RemoteSource final : public QObject, public TelemetrySource {
    Q_OBJECT

public:
    static constexpr double timeoutSeconds = 2.0;

    RemoteSource(RemoteEndpoint endpoint, Scheduler& scheduler, QObject* parent = nullptr);
    ~RemoteSource() override;

    const QUrl& url() const { return endpoint_.url; }

    QString machineName() const override { return endpoint_.url.host(); }
    void readEverySecond(bool withPower, ReadingDelivery deliver) override;
    // The volume comes with every page.
    void readDisk(ReadingDelivery deliver) override { deliver({}); }
    // An exporter lists no processes: an empty, absent table.
    void readProcesses(ReadingDelivery deliver) override;

private:
    void fetch();
    void onReadyRead();
    void onFinished();
    SourceReading readingOf(QNetworkReply& reply);
    SourceReading readingOfPage(const QByteArray& body);
    void abortWith(const QString& reason);

    RemoteEndpoint endpoint_;
    Scheduler& scheduler_;
    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
    QByteArray body_;
    std::optional<QString> abortReason_;  // why this reply ends without a page (too large, too slow, untrusted)
    TaskSlot deadline_;
    // Requests made while the page is on its way, all answered by it.
    std::vector<ReadingDelivery> waiting_;
    std::optional<NodePage> previous_;
    double previousTime_ = 0;
    int failures_ = 0;
    double nextAttemptAt_ = 0;
    QString lastFailure_;
};

}  // namespace moravel
