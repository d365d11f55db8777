#include "monitor/remote/RemoteSource.h"

#include "BuildInfo.h"
#include "monitor/remote/ExpositionFormat.h"
#include "support/BackgroundRunner.h"
#include "support/PrintableExcerpt.h"

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
// What Qt's network thread may hold of the page before the main thread takes
// it: a slow main thread then slows the download instead of letting it pile up.
constexpr qint64 readBufferBytes = 256 * 1024;
// Texts from the server are cut to this before they are shown or printed.
constexpr qsizetype longestServerText = 80;

QString tooLarge()
{
    return QStringLiteral("the page is larger than %1 MB").arg(largestExpositionPage >> 20);
}

QString httpFailure(int status, const QString& reason, bool sentCredentials)
{
    if (status == 401 && !sentCredentials)
        return QStringLiteral("the exporter asks for credentials (HTTP 401)");
    if (status == 401 || status == 403)
        return QStringLiteral("the exporter refused the credentials (HTTP %1)").arg(status);
    return QStringLiteral("the exporter answered HTTP %1 %2")
        .arg(status)
        .arg(printableExcerpt(reason, longestServerText))
        .trimmed();
}

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

RemoteSource::RemoteSource(RemoteEndpoint endpoint, Scheduler& scheduler, BackgroundRunner* parser, QObject* parent)
    : QObject(parent), endpoint_(std::move(endpoint)), scheduler_(scheduler), parser_(parser)
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
    if (!reply_ && !isParsing_)
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
    request.setMaximumRedirectsAllowed(maximumRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Moravel/%1").arg(build::version));
    request.setRawHeader("Accept", "text/plain;version=0.0.4");
    if (endpoint_.authorization)
        request.setRawHeader("Authorization", *endpoint_.authorization);

    body_.clear();
    abortReason_.reset();
    reply_ = network_.get(request);
    reply_->setReadBufferSize(readBufferBytes);
    connect(reply_, &QNetworkReply::metaDataChanged, this, &RemoteSource::onMetaDataChanged);
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

void RemoteSource::onMetaDataChanged()
{
    // A page announced as too large is refused before any of it is read.
    const QVariant length = reply_ ? reply_->header(QNetworkRequest::ContentLengthHeader) : QVariant();
    if (length.isValid() && length.toLongLong() > static_cast<qint64>(largestExpositionPage))
        abortWith(tooLarge());
}

void RemoteSource::onReadyRead()
{
    if (!reply_ || abortReason_)
        return;
    if (body_.size() + reply_->bytesAvailable() > static_cast<qint64>(largestExpositionPage)) {
        abortWith(tooLarge());
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
    const std::optional<QString> failure = transferFailure(*reply);
    reply_ = nullptr;
    reply->deleteLater();
    if (failure)
        answer(SourceReading::failed(*failure));
    else
        readPage(std::exchange(body_, {}), scheduler_.monotonicSeconds());
}

std::optional<QString> RemoteSource::transferFailure(QNetworkReply& reply) const
{
    if (abortReason_)
        return abortReason_;
    // The redirect's own status stays on the reply: these come first.
    if (reply.error() == QNetworkReply::TooManyRedirectsError)
        return QStringLiteral("the exporter redirected more than %1 times").arg(maximumRedirects);
    if (reply.error() == QNetworkReply::InsecureRedirectError)
        return QStringLiteral("the exporter redirected to another address");
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200)
        return httpFailure(status.toInt(), reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                           endpoint_.authorization.has_value());
    if (reply.error() == QNetworkReply::NoError)
        return std::nullopt;
    // Qt's text may quote the server, and says nothing more than
    // "Decompression failed:" of a damaged compressed page.
    const QString said = reply.errorString().trimmed();
    if (said.endsWith(u':'))
        return QStringLiteral("%1 the page is damaged").arg(printableExcerpt(said, longestServerText));
    return printableExcerpt(said, 2 * longestServerText);
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
