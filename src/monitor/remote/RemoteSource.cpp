#include "monitor/remote/RemoteSource.h"

#include "monitor/remote/ExpositionFormat.h"
#include "support/BackgroundRunner.h"
#include "support/PrintableExcerpt.h"

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr double longestRetryDelaySeconds = 16;
// Timer ticks may come a little early; a retry due within this counts as due.
constexpr double tickSlackSeconds = 0.2;
// Texts from the server are cut to this before they are shown or printed.
constexpr qsizetype longestServerText = 80;

// What the exporter's page tells of the machine, or why it is no exporter's
// page. Run on the background runner: it takes time in proportion to the page.
std::variant<NodePage, QString> nodePageOf(const QByteArray& body)
{
    const auto parsed = parseExposition(std::string_view(body.constData(), static_cast<size_t>(body.size())));
    if (const auto* error = std::get_if<ExpositionError>(&parsed))
        return QStringLiteral("not an exporter's page (line %1: %2)")
            .arg(error->line)
            .arg(printableExcerpt(QString::fromStdString(error->reason), longestServerText));
    return readNodePage(std::get<ExpositionPage>(parsed));
}

}  // namespace

double retryDelaySeconds(int failures)
{
    if (failures <= 0)
        return 0;
    return std::min(std::ldexp(1.0, std::min(failures, 8) - 1), longestRetryDelaySeconds);
}

RemoteSource::RemoteSource(RemoteEndpoint endpoint, Scheduler& scheduler, BackgroundRunner* parser, QObject* parent)
    : QObject(parent), endpoint_(std::move(endpoint)), scheduler_(scheduler), parser_(parser), fetcher_(scheduler)
{
}

RemoteSource::~RemoteSource()
{
    // A page arriving during teardown must not answer into a dying monitor.
    waiting_.clear();
}

void RemoteSource::readEverySecond(bool withPower, ReadingDelivery deliver)
{
    (void)withPower;  // the power supplies come with every page
    if (failures_ > 0 && scheduler_.monotonicSeconds() + tickSlackSeconds < nextAttemptAt_) {
        deliver(SourceReading::failed(lastFailure_));
        return;
    }
    waiting_.push_back(std::move(deliver));
    if (!isFetching_ && !isParsing_)
        fetch();
}

void RemoteSource::readProcesses(ReadingDelivery deliver)
{
    deliver({[](SystemSnapshot& next) { next.topProcesses.reset(); }});
}

void RemoteSource::fetch()
{
    isFetching_ = true;
    const PageRequest request{.url = endpoint_.url,
                              .authorization = endpoint_.authorization,
                              .accept = "text/plain;version=0.0.4",
                              .largestPage = largestExpositionPage,
                              .timeoutSeconds = timeoutSeconds,
                              .speaker = QStringLiteral("the exporter")};
    fetcher_.fetch(request, [this](PageResult page) {
        isFetching_ = false;
        if (const QString* failure = std::get_if<QString>(&page))
            answer(SourceReading::failed(*failure));
        else
            readPage(std::get<QByteArray>(std::move(page)), scheduler_.monotonicSeconds());
    });
}

void RemoteSource::readPage(QByteArray body, double arrivedAt)
{
    if (!parser_) {
        answer(readingOfPage(nodePageOf(body), arrivedAt));
        return;
    }
    isParsing_ = true;
    parser_->post(this, [this, body = std::move(body), arrivedAt] {
        return [this, page = nodePageOf(body), arrivedAt]() mutable {
            isParsing_ = false;
            answer(readingOfPage(std::move(page), arrivedAt));
        };
    });
}

SourceReading RemoteSource::readingOfPage(std::variant<NodePage, QString> parsed, double arrivedAt)
{
    if (const QString* failure = std::get_if<QString>(&parsed))
        return SourceReading::failed(*failure);
    NodePage page = std::get<NodePage>(std::move(parsed));
    SystemSnapshot snapshot =
        snapshotOfNodePage(page, previous_ ? &*previous_ : nullptr, arrivedAt - previousTime_);
    if (snapshot == SystemSnapshot{})
        return SourceReading::failed(QStringLiteral("the page holds no node exporter readings"));
    const bool measured = previous_.has_value();
    previous_ = std::move(page);
    previousTime_ = arrivedAt;
    return {[snapshot = std::move(snapshot)](SystemSnapshot& next) {
                // The shown power figure is the monitor's to choose, every other second.
                const std::optional<double> shown = next.power ? next.power->displayPowerWatts : std::nullopt;
                next = snapshot;
                if (next.power)
                    next.power->displayPowerWatts = shown;
            },
            measured};
}

void RemoteSource::answer(const SourceReading& reading)
{
    if (reading.failure) {
        ++failures_;
        nextAttemptAt_ = scheduler_.monotonicSeconds() + retryDelaySeconds(failures_);
        lastFailure_ = *reading.failure;
    } else {
        failures_ = 0;
    }
    // Taken out first: an answer may lead straight to the next request.
    for (const ReadingDelivery& deliver : std::exchange(waiting_, {}))
        deliver(reading);
}

}  // namespace moravel
