#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/remote/NodeExporterReadings.h"
#include "monitor/remote/PageFetcher.h"
#include "monitor/remote/RemoteAddress.h"
#include "support/Scheduler.h"

#include <QObject>

#include <optional>
#include <variant>
#include <vector>

namespace moravel {

class BackgroundRunner;

// How long to leave an unreachable exporter alone after `failures` failed
// readings in a row: 1 s (the next tick), doubling up to 16 s, so a machine
// that comes back is seen again within that.
double retryDelaySeconds(int failures);

// Another machine's readings, from its Prometheus node exporter's page, read
// over HTTP(S) without ever waiting on the network: each per-second request
// fetches the page, which answers it when it arrives, or fails after 2 s. The
// page is parsed on the background runner, so a hostile one never holds up
// the island. The page is fetched as PageFetcher fetches (certificates
// verified, few redirects, on the same address), and refused as soon as it
// shows larger than largestExpositionPage. What the exporter does not publish
// (processes, GPUs, collectors that are off) is absent.
class RemoteSource final : public QObject, public TelemetrySource {
    Q_OBJECT

public:
    static constexpr double timeoutSeconds = 2.0;

    // Without a `parser`, pages are parsed at once on this thread.
    RemoteSource(RemoteEndpoint endpoint, Scheduler& scheduler, BackgroundRunner* parser = nullptr,
                 QObject* parent = nullptr);
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
    void readPage(QByteArray body, double arrivedAt);
    SourceReading readingOfPage(std::variant<NodePage, QString> page, double arrivedAt);
    void answer(const SourceReading& reading);

    RemoteEndpoint endpoint_;
    Scheduler& scheduler_;
    BackgroundRunner* parser_;
    PageFetcher fetcher_;
    bool isFetching_ = false;
    bool isParsing_ = false;
    // Requests made while the page is on its way, all answered by it.
    std::vector<ReadingDelivery> waiting_;
    std::optional<NodePage> previous_;
    double previousTime_ = 0;
    int failures_ = 0;
    double nextAttemptAt_ = 0;
    QString lastFailure_;
};

}  // namespace moravel
