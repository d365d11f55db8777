#include "updates/feed/FeedFetcher.h"

#include "BuildInfo.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// A feed in a local file, read at once: only a regular file is opened (a FIFO
// or device there would block the main thread), without waiting in open().
FeedFetcher::Result readLocalFeed(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return QStringLiteral("The update feed could not be loaded: %1.")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    QFile file;
    struct stat info;
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!regular || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QStringLiteral("The update feed %1 is not a regular file.").arg(path);
    }
    const QByteArray body = file.read(FeedFetcher::maximumFeedBytes + 1);
    if (body.size() > FeedFetcher::maximumFeedBytes)
        return QStringLiteral("The update feed is larger than %1 KiB.").arg(FeedFetcher::maximumFeedBytes / 1024);
    return body;
}

QString httpFailureMessage(const QNetworkReply& reply, int status)
{
    const QString reason = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
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
                      .arg(resolved.toDisplayString()));
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
        return QStringLiteral("The update feed could not be loaded: %1.").arg(reply.errorString());
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
