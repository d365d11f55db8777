#include "monitor/prometheus/PrometheusSource.h"

#include "monitor/FleetRules.h"
#include "monitor/remote/RemoteSource.h"
#include "support/BackgroundRunner.h"
#include "support/PrintableExcerpt.h"

#include <QUrlQuery>

#include <algorithm>
#include <memory>

namespace moravel {

namespace {

// Timer ticks may come a little early; a refresh due within this counts as due.
constexpr double tickSlackSeconds = 0.2;
constexpr qsizetype longestServerText = 120;

std::string_view viewOf(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

QString failureOf(const QueryFailure& failure)
{
    const QString message = printableExcerpt(QString::fromStdString(failure.message), longestServerText);
    if (failure.errorType.empty())
        return QStringLiteral("the server did not answer as a Prometheus server does (%1)").arg(message);
    return QStringLiteral("the server refused a query: %1").arg(message);
}

// The answers, read: nothing but failure words for the first that is not an answer.
template <size_t count>
std::optional<QString> readAll(const std::array<QByteArray, count>& bodies, std::array<QueryResult, count>& results)
{
    for (size_t i = 0; i < count; ++i) {
        auto parsed = parseQueryResponse(bodies[i]);
        if (const auto* failure = std::get_if<QueryFailure>(&parsed))
            return failureOf(*failure);
        results[i] = std::get<QueryResult>(std::move(parsed));
    }
    return std::nullopt;
}

// Where a refresh's pages are gathered, shared by their fetches' answers.
template <size_t count>
struct Gathering {
    std::array<std::optional<PageResult>, count> pages;
    size_t arrived = 0;

    // The first failure in query order, or the bodies.
    std::variant<std::array<QByteArray, count>, QString> outcome()
    {
        std::array<QByteArray, count> bodies;
        for (size_t i = 0; i < count; ++i) {
            if (const QString* failure = std::get_if<QString>(&*pages[i]))
                return *failure;
            bodies[i] = std::get<QByteArray>(std::move(*pages[i]));
        }
        return bodies;
    }
};

}  // namespace

PrometheusSource::PrometheusSource(RemoteEndpoint server, Scheduler& scheduler, BackgroundRunner* parser,
                                   QObject* parent)
    : QObject(parent), server_(std::move(server)), scheduler_(scheduler), parser_(parser), fetcher_(scheduler)
{
}

PrometheusSource::~PrometheusSource()
{
    // Answers arriving during teardown must not reach a dying monitor.
    waiting_.clear();
}

double PrometheusSource::refreshSeconds() const
{
    return std::max(shortestRefreshSeconds, scrapeInterval_.value_or(assumedScrapeIntervalSeconds));
}

FleetQueryOptions PrometheusSource::queryOptions(const QString& instance) const
{
    const double scrape = scrapeInterval_.value_or(assumedScrapeIntervalSeconds);
    return {rateWindowScrapes * scrape, scrape, instance};
}

PageRequest PrometheusSource::requestFor(const QString& path, const QList<std::pair<QString, QString>>& query) const
{
    QUrl url = server_.url;
    url.setPath(server_.url.path() + path);
    // Every character but the unreserved ones escaped: a server reads a bare
    // '+' in a query as a blank.
    QByteArray encoded;
    for (const auto& [key, value] : query)
        encoded += (encoded.isEmpty() ? "" : "&") + key.toLatin1() + '=' + QUrl::toPercentEncoding(value);
    url.setQuery(QString::fromLatin1(encoded), QUrl::StrictMode);
    // The query API answers a refused query with one of these and its reason.
    return {url, server_.authorization, "application/json", largestQueryAnswer, timeoutSeconds,
            QStringLiteral("the server"), {400, 422, 503}};
}

void PrometheusSource::ask(const PageRequest& request, std::function<void(PageResult)> done)
{
    ++asking_;
    fetcher_.fetch(request, [this, done = std::move(done)](PageResult page) {
        --asking_;
        done(std::move(page));
    });
}

template <typename Result>
void PrometheusSource::inBackground(std::function<Result()> job, std::function<void(Result)> then)
{
    if (!parser_) {
        then(job());
        return;
    }
    parser_->post(this, [job = std::move(job), then = std::move(then)]() -> BackgroundRunner::Continuation {
        return [result = std::make_shared<Result>(job()), then] { then(std::move(*result)); };
    });
}

void PrometheusSource::readEverySecond(bool withPower, ReadingDelivery deliver)
{
    (void)withPower;  // a server has no power readings
    if (isRefreshing_) {
        waiting_.push_back(std::move(deliver));
        return;
    }
    if (scheduler_.monotonicSeconds() + tickSlackSeconds >= nextRefreshAt_) {
        waiting_.push_back(std::move(deliver));
        startRefresh();
        return;
    }
    if (failures_ > 0) {
        deliver(SourceReading::failed(lastFailure_));
        return;
    }
    // Nothing new between refreshes but a past hour that has come.
    SourceReading unchanged{{}, false};
    unchanged.pastHour = std::exchange(pastHour_, std::nullopt);
    deliver(unchanged);
}

void PrometheusSource::readProcesses(ReadingDelivery deliver)
{
    deliver({[](SystemSnapshot& next) { next.topProcesses.reset(); }});
}

void PrometheusSource::chooseMachine(const QString& instance)
{
    chosen_ = instance;
    ++choice_;
    pastHour_.reset();
    if (fleet_)
        fleet_->chosen = instance.isEmpty() ? std::nullopt : std::optional(instance);
    if (!instance.isEmpty())
        askPastHour(instance);
}

void PrometheusSource::startRefresh()
{
    isRefreshing_ = true;
    nextRefreshAt_ = scheduler_.monotonicSeconds() + refreshSeconds();
    if (scrapeInterval_)
        askFleet();
    else
        askConfiguration();
}

void PrometheusSource::askConfiguration()
{
    ask(requestFor(QStringLiteral("/api/v1/status/config"), {}), [this](PageResult page) {
        QByteArray* body = std::get_if<QByteArray>(&page);
        inBackground<std::optional<double>>(
            [body = body ? std::move(*body) : QByteArray()] { return scrapeIntervalOfConfig(viewOf(body)); },
            [this](std::optional<double> interval) {
                // Asked again next time when the server does not tell (it may
                // be out of reach); once it answers the queries, a minute is assumed.
                scrapeInterval_ = interval;
                nextRefreshAt_ = scheduler_.monotonicSeconds() + refreshSeconds();
                askFleet();
            });
    });
}

void PrometheusSource::askFleet()
{
    auto gathering = std::make_shared<Gathering<fleetQueryCount>>();
    const FleetQueryOptions options = queryOptions();
    for (size_t i = 0; i < fleetQueryCount; ++i) {
        const QString query = QString::fromStdString(fleetQueryText(static_cast<FleetQuery>(i), options));
        ask(requestFor(QStringLiteral("/api/v1/query"), {{QStringLiteral("query"), query}}),
                       [this, gathering, i](PageResult page) {
                           gathering->pages[i] = std::move(page);
                           if (++gathering->arrived < fleetQueryCount)
                               return;
                           auto outcome = gathering->outcome();
                           if (const QString* failure = std::get_if<QString>(&outcome)) {
                               finishRefresh(*failure);
                               return;
                           }
                           readAnswers(std::get<0>(std::move(outcome)));
                       });
    }
}

void PrometheusSource::readAnswers(std::array<QByteArray, fleetQueryCount> bodies)
{
    using Machines = std::variant<QList<MachineReading>, QString>;
    inBackground<Machines>(
        [bodies = std::move(bodies), previous = fleet_, now = scheduler_.currentDateTime()]() -> Machines {
            FleetAnswers answers;
            if (std::optional<QString> failure = readAll(bodies, answers))
                return *failure;
            QList<MachineReading> machines = machinesOfAnswers(answers, previous ? &*previous : nullptr, now);
            if (machines.isEmpty())
                return QStringLiteral("This Prometheus server has no node exporter targets");
            return machines;
        },
        [this](Machines machines) { finishRefresh(std::move(machines)); });
}

void PrometheusSource::finishRefresh(std::variant<QList<MachineReading>, QString> machines)
{
    isRefreshing_ = false;
    if (const QString* failure = std::get_if<QString>(&machines)) {
        ++failures_;
        lastFailure_ = *failure;
        nextRefreshAt_ = scheduler_.monotonicSeconds() + retryDelaySeconds(failures_);
        answer(SourceReading::failed(*failure));
        return;
    }
    failures_ = 0;
    if (!scrapeInterval_)
        scrapeInterval_ = assumedScrapeIntervalSeconds;
    FleetReading fleet{std::get<QList<MachineReading>>(std::move(machines)), std::nullopt};
    // A chosen machine the server no longer scrapes leaves the whole fleet shown.
    if (!chosen_.isEmpty() && machineNamed(fleet, chosen_))
        fleet.chosen = chosen_;
    fleet_ = fleet;
    SourceReading reading{[snapshot = fleetSnapshot(std::move(fleet))](SystemSnapshot& next) { next = snapshot; }};
    reading.pastHour = std::exchange(pastHour_, std::nullopt);
    answer(reading);
}

void PrometheusSource::askPastHour(const QString& instance)
{
    constexpr size_t count = pastHourQueries.size();
    auto gathering = std::make_shared<Gathering<count>>();
    const FleetQueryOptions options = queryOptions(instance);
    const qint64 end = scheduler_.currentDateTime().toSecsSinceEpoch();
    const QList<std::pair<QString, QString>> range{
        {QStringLiteral("start"), QString::number(end - forgottenAfterSeconds)},
        {QStringLiteral("end"), QString::number(end)},
        // As finely as the server reads the machine.
        {QStringLiteral("step"), QString::number(options.scrapeIntervalSeconds)}};
    for (size_t i = 0; i < count; ++i) {
        auto query = range;
        query.prepend({QStringLiteral("query"), QString::fromStdString(fleetQueryText(pastHourQueries[i], options))});
        ask(requestFor(QStringLiteral("/api/v1/query_range"), query),
                       [this, gathering, i, choice = choice_](PageResult page) {
                           gathering->pages[i] = std::move(page);
                           if (++gathering->arrived < count || choice != choice_)
                               return;
                           // Without it the chart fills from the live readings.
                           auto outcome = gathering->outcome();
                           if (std::holds_alternative<QString>(outcome))
                               return;
                           inBackground<std::optional<MetricHistory>>(
                               [bodies = std::get<0>(std::move(outcome))]() -> std::optional<MetricHistory> {
                                   std::array<QueryResult, count> answers;
                                   if (readAll(bodies, answers))
                                       return std::nullopt;
                                   return pastHourOfAnswers(answers);
                               },
                               [this, choice](std::optional<MetricHistory> history) {
                                   if (choice == choice_)
                                       pastHour_ = std::move(history);
                               });
                       });
    }
}

void PrometheusSource::answer(const SourceReading& reading)
{
    // Taken out first: an answer may lead straight to the next request.
    for (const ReadingDelivery& deliver : std::exchange(waiting_, {}))
        deliver(reading);
}

}  // namespace moravel
