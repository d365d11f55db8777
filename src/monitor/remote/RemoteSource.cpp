#include "monitor/remote/RemoteSource.h"

#include "BuildInfo.h"
#include "monitor/remote/ExpositionFormat.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr double longestRetryDelaySeconds = 16;
// Timer ticks may come a little early; a retry due within this counts as due.
constexpr double tickSlackSeconds = 0.2;

QString httpFailure(int status, const QString& reason, bool sentCredentials)
{
    if (status == 401 && !sentCredentials)
        return QStringLiteral("the exporter asks for credentials (HTTP 401)");
    if (status == 401 || status == 403)
        return QStringLiteral("the exporter refused the credentials (HTTP %1)").arg(status);
    return QStringLiteral("the exporter answered HTTP %1 %2").arg(status).arg(reason).trimmed();
}

// The TLS library's reasons, after what they mean for the user.
QString certificateFailure(const QString& host, const QList<QSslError>& errors)
{
    QStringList reasons;
    for (const QSslError& error : errors) {
        if (!reasons.contains(error.errorString()))
            reasons.append(error.errorString());
    }
    return QStringLiteral("the certificate of %1 is not trusted by this computer (%2)").arg(host, reasons.join("; "));
}

}  // namespace

double retryDelaySeconds(int failures)
{
    if (failures <= 0)
        return 0;
    return std::min(std::ldexp(1.0, std::min(failures, 8) - 1), longestRetryDelaySeconds);
}

RemoteSource::RemoteSource(RemoteEndpoint endpoint, Scheduler& scheduler, QObject* parent)
    : QObject(parent), endpoint_(std::move(endpoint)), scheduler_(scheduler)
{
}

RemoteSource::~RemoteSource()
{
    // A page arriving during teardown must not answer into a dying monitor.
    waiting_.clear();
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
}

void RemoteSource::readEverySecond(bool withPower, ReadingDelivery deliver)
{
    (void)withPower;  // the power supplies come with every page
    if (failures_ > 0 && scheduler_.monotonicSeconds() + tickSlackSeconds < nextAttemptAt_) {
        deliver(SourceReading::failed(lastFailure_));
        return;
    }
    waiting_.push_back(std::move(deliver));
    if (!reply_)
        fetch();
}

void RemoteSource::readProcesses(ReadingDelivery deliver)
{
    deliver({[](SystemSnapshot& next) { next.topProcesses.reset(); }});
}

void RemoteSource::fetch()
{
    QNetworkRequest request(endpoint_.url);
    // A redirect elsewhere could lead plain http off the private network.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Moravel/%1").arg(build::version));
    request.setRawHeader("Accept", "text/plain;version=0.0.4");
    if (endpoint_.authorization)
        request.setRawHeader("Authorization", *endpoint_.authorization);

    body_.clear();
    abortReason_.reset();
    reply_ = network_.get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &RemoteSource::onReadyRead);
    connect(reply_, &QNetworkReply::finished, this, &RemoteSource::onFinished);
    // Not ignored, these end the reply by themselves: only their words are kept.
    connect(reply_, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        if (!abortReason_)
            abortReason_ = certificateFailure(endpoint_.url.host(), errors);
    });
    deadline_.arm(scheduler_, timeoutSeconds, this, [this] {
        abortWith(QStringLiteral("no answer within %1 seconds").arg(timeoutSeconds));
    });
}

void RemoteSource::onReadyRead()
{
    if (!reply_ || abortReason_)
        return;
    if (body_.size() + reply_->bytesAvailable() > static_cast<qint64>(largestExpositionPage)) {
        abortWith(QStringLiteral("the page is larger than %1 MB").arg(largestExpositionPage >> 20));
        return;
    }
    body_ += reply_->readAll();
}

void RemoteSource::abortWith(const QString& reason)
{
    if (!reply_ || abortReason_)
        return;
    abortReason_ = reason;
    reply_->abort();
}

void RemoteSource::onFinished()
{
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    deadline_.cancel();
    onReadyRead();
    const SourceReading reading = readingOf(*reply);
    reply_ = nullptr;
    reply->deleteLater();
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

SourceReading RemoteSource::readingOf(QNetworkReply& reply)
{
    if (abortReason_)
        return SourceReading::failed(*abortReason_);
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200)
        return SourceReading::failed(httpFailure(status.toInt(),
                                                 reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                                                 endpoint_.authorization.has_value()));
    if (reply.error() != QNetworkReply::NoError)
        return SourceReading::failed(reply.errorString());
    return readingOfPage(body_);
}

SourceReading RemoteSource::readingOfPage(const QByteArray& body)
{
    const auto parsed = parseExposition(std::string_view(body.constData(), static_cast<size_t>(body.size())));
    if (const auto* error = std::get_if<ExpositionError>(&parsed))
        return SourceReading::failed(QStringLiteral("not an exporter's page (line %1: %2)")
                                         .arg(error->line)
                                         .arg(QString::fromStdString(error->reason)));
    NodePage page = readNodePage(std::get<ExpositionPage>(parsed));
    const double now = scheduler_.monotonicSeconds();
    SystemSnapshot snapshot = snapshotOfNodePage(page, previous_ ? &*previous_ : nullptr, now - previousTime_);
    if (snapshot == SystemSnapshot{})
        return SourceReading::failed(QStringLiteral("the page holds no node exporter readings"));
    const bool measured = previous_.has_value();
    previous_ = std::move(page);
    previousTime_ = now;
    return {[snapshot = std::move(snapshot)](SystemSnapshot& next) {
                // The shown power figure is the monitor's to choose, every other second.
                const std::optional<double> shown = next.power ? next.power->displayPowerWatts : std::nullopt;
                next = snapshot;
                if (next.power)
                    next.power->displayPowerWatts = shown;
            },
            measured};
}

}  // namespace moravel
