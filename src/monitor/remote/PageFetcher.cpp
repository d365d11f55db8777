#include "monitor/remote/PageFetcher.h"

#include "BuildInfo.h"
#include "support/PrintableExcerpt.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace moravel {

namespace {

// Texts from the server are cut to this before they are shown or printed.
constexpr qsizetype longestServerText = 80;
// What Qt's network thread may hold of the page before the main thread takes
// it: a slow main thread then slows the download instead of letting it pile up.
constexpr qint64 readBufferBytes = 256 * 1024;

QString httpFailure(const QString& speaker, int status, const QString& reason, bool sentCredentials)
{
    if (status == 401 && !sentCredentials)
        return QStringLiteral("%1 asks for credentials (HTTP 401)").arg(speaker);
    if (status == 401 || status == 403)
        return QStringLiteral("%1 refused the credentials (HTTP %2)").arg(speaker).arg(status);
    return QStringLiteral("%1 answered HTTP %2 %3")
        .arg(speaker)
        .arg(status)
        .arg(printableExcerpt(reason, longestServerText))
        .trimmed();
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

// One fetch: its reply, what has come of the page, and its deadline.
class Download final : public QObject {
public:
    Download(const PageRequest& request, QNetworkReply* reply, Scheduler& scheduler,
             std::function<void(PageResult)> done, QObject* parent)
        : QObject(parent), request_(request), reply_(reply), done_(std::move(done))
    {
        reply_->setParent(this);
        reply_->setReadBufferSize(readBufferBytes);
        connect(reply_, &QNetworkReply::metaDataChanged, this, &Download::checkAnnouncedSize);
        connect(reply_, &QNetworkReply::readyRead, this, &Download::take);
        connect(reply_, &QNetworkReply::finished, this, &Download::finish);
        // Not ignored, these end the reply by themselves: only their words are kept.
        connect(reply_, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
            if (!abortReason_)
                abortReason_ = certificateFailure(request_.url.host(), errors);
        });
        deadline_.arm(scheduler, request_.timeoutSeconds, this, [this] {
            abortWith(QStringLiteral("no answer within %1 seconds").arg(request_.timeoutSeconds));
        });
    }

    ~Download() override
    {
        // Torn down with the fetcher: the reply must not answer into it.
        reply_->disconnect(this);
        if (reply_->isRunning())
            reply_->abort();
    }

private:
    QString tooLarge() const
    {
        return QStringLiteral("the page is larger than %1 MB").arg(request_.largestPage >> 20);
    }

    void checkAnnouncedSize()
    {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toULongLong() > request_.largestPage)
            abortWith(tooLarge());
    }

    void take()
    {
        if (abortReason_)
            return;
        if (static_cast<size_t>(body_.size() + reply_->bytesAvailable()) > request_.largestPage) {
            abortWith(tooLarge());
            return;
        }
        body_ += reply_->readAll();
    }

    void abortWith(const QString& reason)
    {
        if (abortReason_ || !reply_->isRunning())
            return;
        abortReason_ = reason;
        reply_->abort();
    }

    void finish()
    {
        deadline_.cancel();
        take();
        const std::optional<QString> failure = transferFailure();
        const auto done = std::move(done_);
        deleteLater();
        if (failure)
            done(*failure);
        else
            done(std::move(body_));
    }

    std::optional<QString> transferFailure() const
    {
        if (abortReason_)
            return abortReason_;
        // The redirect's own status stays on the reply: these come first.
        if (reply_->error() == QNetworkReply::TooManyRedirectsError)
            return QStringLiteral("%1 redirected more than %2 times")
                .arg(request_.speaker)
                .arg(PageFetcher::maximumRedirects);
        if (reply_->error() == QNetworkReply::InsecureRedirectError)
            return QStringLiteral("%1 redirected to another address").arg(request_.speaker);
        const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && request_.answeringStatuses.contains(status.toInt()) && !body_.isEmpty())
            return std::nullopt;
        if (status.isValid() && status.toInt() != 200)
            return httpFailure(request_.speaker, status.toInt(),
                               reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                               request_.authorization.has_value());
        if (reply_->error() == QNetworkReply::NoError)
            return std::nullopt;
        // Qt's text may quote the server, and says nothing more than
        // "Decompression failed:" of a damaged compressed page.
        const QString said = reply_->errorString().trimmed();
        if (said.endsWith(u':'))
            return QStringLiteral("%1 the page is damaged").arg(printableExcerpt(said, longestServerText));
        return printableExcerpt(said, 2 * longestServerText);
    }

    PageRequest request_;
    QNetworkReply* reply_;
    std::function<void(PageResult)> done_;
    QByteArray body_;
    std::optional<QString> abortReason_;  // why the reply ends without a page (too large, too slow, untrusted)
    TaskSlot deadline_;
};

}  // namespace

PageFetcher::PageFetcher(Scheduler& scheduler, QObject* parent) : QObject(parent), scheduler_(scheduler) {}

PageFetcher::~PageFetcher()
{
    // The downloads are its only children: gone here, before the network
    // manager their replies came from.
    const QObjectList downloads = children();
    qDeleteAll(downloads);
}

void PageFetcher::fetch(const PageRequest& request, std::function<void(PageResult)> done)
{
    QNetworkRequest http(request.url);
    // A redirect elsewhere could lead plain http off the private network.
    http.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    http.setMaximumRedirectsAllowed(maximumRedirects);
    http.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    http.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Moravel/%1").arg(build::version));
    http.setRawHeader("Accept", request.accept);
    if (request.authorization)
        http.setRawHeader("Authorization", *request.authorization);
    new Download(request, network_.get(http), scheduler_, std::move(done), this);
}

}  // namespace moravel
