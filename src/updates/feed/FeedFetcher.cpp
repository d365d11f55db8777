#include "updates/feed/FeedFetcher.h"

#include "BuildInfo.h"
#include "support/PrintableExcerpt.h"
#include "support/RegularFile.h"

#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace moravel {

namespace {

constexpr int maximumRedirects = 5;

bool isLoopbackHost(const QString& host)
{
    if (host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool isHttps(const QUrl& url)
{
    return url.isValid() && url.scheme() == u"https" && !url.host().isEmpty();
}

bool isLoopbackHttp(const QUrl& url)
{
    return url.isValid() && url.scheme() == u"http" && isLoopbackHost(url.host());
}

// A feed in a local file, read at once: only a regular file is read (a FIFO
// or device there would block the main thread), without waiting in open().
FeedFetcher::Result readLocalFeed(const QString& path)
{
    auto read = readRegularFile(path, FeedFetcher::maximumFeedBytes);
    if (auto* contents = std::get_if<RegularFileContents>(&read))
        return std::move(contents->bytes);
    const RegularFileFailure& failure = std::get<RegularFileFailure>(read);
    switch (failure.kind) {
    case RegularFileFailure::Kind::notRegular:
        return QStringLiteral("The update feed %1 is not a regular file.").arg(printableExcerpt(path));
    case RegularFileFailure::Kind::tooLarge:
        return QStringLiteral("The update feed is larger than %1 KiB.").arg(FeedFetcher::maximumFeedBytes / 1024);
    default:
        return QStringLiteral("The update feed could not be loaded: %1.").arg(failure.systemReason);
    }
}

QString httpFailureMessage(const QNetworkReply& reply, int status)
{
    const QString reason =
        printableExcerpt(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed(), 80);
    if (reason.isEmpty())
        return QStringLiteral("The update server answered with HTTP status %1.").arg(status);
    return QStringLiteral("The update server answered %1 %2.").arg(status).arg(reason);
}

}  // namespace

bool FeedAddressPolicy::acceptsFeedAddress(const QUrl& url) const
{
    if (url.isValid() && url.isLocalFile())
        return true;
    return isHttps(url) || (allowsLoopbackHttp && isLoopbackHttp(url));
}

bool FeedAddressPolicy::acceptsRedirectTarget(const QUrl& url) const
{
    return isHttps(url) || (allowsLoopbackHttp && isLoopbackHttp(url));
}

FeedFetcher::FeedFetcher(Scheduler& scheduler, FeedAddressPolicy policy, double timeoutSeconds, QObject* parent)
    : QObject(parent), scheduler_(scheduler), policy_(policy), timeoutSeconds_(timeoutSeconds)
{
}

FeedFetcher::~FeedFetcher()
{
    // A reply finishing during teardown must not call back into a dying owner.
    done_ = nullptr;
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
}

void FeedFetcher::fetch(const QUrl& url, Completion done)
{
    if (isFetching())
        return;
    if (url.isLocalFile()) {
        fetchLocalFile(url.toLocalFile(), std::move(done));
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(maximumRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Moravel/%1").arg(build::version));

    done_ = std::move(done);
    abortReason_.reset();
    reply_ = network_.get(request);
    connect(reply_, &QNetworkReply::redirected, this, &FeedFetcher::onRedirected);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) { onProgress(received); });
    connect(reply_, &QNetworkReply::finished, this, &FeedFetcher::onFinished);
    deadline_.arm(scheduler_, timeoutSeconds_, this, [this] {
        abortWith(QStringLiteral("The update server did not answer within %1 seconds.").arg(timeoutSeconds_));
    });
}

void FeedFetcher::fetchLocalFile(const QString& path, Completion done)
{
    isReadingLocalFile_ = true;
    // Completed from the event loop like a download, never inside fetch().
    QMetaObject::invokeMethod(
        this,
        [this, result = readLocalFeed(path), done = std::move(done)] {
            isReadingLocalFile_ = false;
            done(result);
        },
        Qt::QueuedConnection);
}

void FeedFetcher::onRedirected(const QUrl& target)
{
    const QUrl resolved = reply_->url().resolved(target);
    if (!policy_.acceptsRedirectTarget(resolved)) {
        abortWith(QStringLiteral("The update server redirected to an address that is not https (%1).")
                      .arg(printableExcerpt(resolved.toDisplayString(), 160)));
        return;
    }
    emit reply_->redirectAllowed();
}

void FeedFetcher::onProgress(qint64 received)
{
    if (received > maximumFeedBytes)
        abortWith(QStringLiteral("The update feed is larger than %1 KiB.").arg(maximumFeedBytes / 1024));
}

void FeedFetcher::abortWith(const QString& message)
{
    if (!reply_ || abortReason_)
        return;
    abortReason_ = message;
    reply_->abort();
}

FeedFetcher::Result FeedFetcher::resultOf(QNetworkReply& reply) const
{
    if (abortReason_)
        return *abortReason_;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        return httpFailureMessage(reply, status.toInt());
    if (reply.error() != QNetworkReply::NoError)
        return QStringLiteral("The update feed could not be loaded: %1.")
            .arg(printableExcerpt(reply.errorString(), 160));
    const QByteArray body = reply.readAll();
    if (body.size() > maximumFeedBytes)
        return QStringLiteral("The update feed is larger than %1 KiB.").arg(maximumFeedBytes / 1024);
    return body;
}

void FeedFetcher::onFinished()
{
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    deadline_.cancel();
    const Result result = resultOf(*reply);
    reply_ = nullptr;
    reply->deleteLater();
    // Taken out first, so that the completion may start the next fetch.
    if (Completion done = std::exchange(done_, nullptr))
        done(result);
}

}  // namespace moravel
