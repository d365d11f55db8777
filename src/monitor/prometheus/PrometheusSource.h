#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/prometheus/FleetAnswers.h"
#include "monitor/remote/PageFetcher.h"
#include "monitor/remote/RemoteAddress.h"
#include "support/Scheduler.h"

#include <QObject>

#include <array>
#include <optional>
#include <vector>

namespace moravel {

class BackgroundRunner;

// A fleet of machines, read from the Prometheus server that scrapes their
// node exporters. Each refresh asks the server a handful of queries about
// every machine at once (FleetQueries.h), at the scrape interval the server's
// configuration gives, but no more often than every 15 s; the seconds between
// answer with what is known. The answers are read on the background runner.
// The snapshot's slices are the chosen machine's, or each reading's worst
// machine's on the whole fleet; a chosen machine's last hour is read back
// from the server. A server that cannot be reached, refuses a query or
// scrapes no node exporter is told as a failure, and tried again after
// 1 s, doubling up to 16 s.
class PrometheusSource final : public QObject, public TelemetrySource {
    Q_OBJECT

public:
    // A server with hundreds of machines may think for a moment.
    static constexpr double timeoutSeconds = 10;
    static constexpr double shortestRefreshSeconds = 15;
    // Where the server's configuration cannot be read.
    static constexpr double assumedScrapeIntervalSeconds = 60;
    // Rates over this many scrape intervals have enough samples to go on.
    static constexpr int rateWindowScrapes = 4;

    // Without a `parser`, answers are read at once on this thread.
    PrometheusSource(RemoteEndpoint server, Scheduler& scheduler, BackgroundRunner* parser = nullptr,
                     QObject* parent = nullptr);
    ~PrometheusSource() override;

    const QUrl& url() const { return server_.url; }
    // The scrape interval the server's configuration gives, once read.
    std::optional<double> scrapeIntervalSeconds() const { return scrapeInterval_; }
    double refreshSeconds() const;
    // Whether the server is being asked anything right now.
    bool isAsking() const { return asking_ > 0; }

    QString machineName() const override { return server_.url.host(); }
    void readEverySecond(bool withPower, ReadingDelivery deliver) override;
    // The volumes come with every refresh.
    void readDisk(ReadingDelivery deliver) override { deliver({}); }
    // A server keeps no process tables: an absent one.
    void readProcesses(ReadingDelivery deliver) override;
    void chooseMachine(const QString& instance) override;

private:
    PageRequest requestFor(const QString& path, const QList<std::pair<QString, QString>>& query) const;
    FleetQueryOptions queryOptions(const QString& instance = {}) const;
    void ask(const PageRequest& request, std::function<void(PageResult)> done);
    void startRefresh();
    void askConfiguration();
    void askFleet();
    void readAnswers(std::array<QByteArray, fleetQueryCount> bodies);
    void finishRefresh(std::variant<QList<MachineReading>, QString> machines);
    void askPastHour(const QString& instance);
    void answer(const SourceReading& reading);
    // Runs `job` on the parser, or at once without one; `then` gets its result here.
    template <typename Result>
    void inBackground(std::function<Result()> job, std::function<void(Result)> then);

    RemoteEndpoint server_;
    Scheduler& scheduler_;
    BackgroundRunner* parser_;
    PageFetcher fetcher_;
    std::optional<double> scrapeInterval_;
    // Requests made while a refresh is under way, all answered by it.
    std::vector<ReadingDelivery> waiting_;
    bool isRefreshing_ = false;
    int asking_ = 0;  // requests on their way
    double nextRefreshAt_ = 0;
    std::optional<FleetReading> fleet_;
    QString chosen_;
    quint64 choice_ = 0;  // moves on with each choice: a past hour that comes late is of another
    std::optional<MetricHistory> pastHour_;
    int failures_ = 0;
    QString lastFailure_;
};

}  // namespace moravel
