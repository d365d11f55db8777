#pragma once

#include "support/Scheduler.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <variant>

class QNetworkReply;

namespace moravel {

// Which addresses the update feed may be read from. Release pages and feeds
// travel over https only; plain http to this machine exists for tests, which
// cannot easily serve TLS, and must be asked for explicitly.
struct FeedAddressPolicy {
    bool allowsLoopbackHttp = false;

    // The configured feed address: https, a local file, or (tests) loopback http.
    bool acceptsFeedAddress(const QUrl& url) const;
    // Where a server may send the request on: never to a local file or plain http.
    bool acceptsRedirectTarget(const QUrl& url) const;
};

// Downloads one update feed document at a time, with a deadline, a size limit
// and https-only redirects. The outcome is the body or a readable message. A
// feed in a local file is read directly, and only when it is a regular file.
class FeedFetcher final : public QObject {
    Q_OBJECT

public:
    using Result = std::variant<QByteArray, QString>;
    using Completion = std::function<void(const Result&)>;

    static constexpr qint64 maximumFeedBytes = 1024 * 1024;

    FeedFetcher(Scheduler& scheduler, FeedAddressPolicy policy, double timeoutSeconds, QObject* parent = nullptr);
    ~FeedFetcher() override;

    bool isFetching() const { return !reply_.isNull() || isReadingLocalFile_; }
    // Ignored while a fetch is running. `done` is called exactly once, from the event loop.
    void fetch(const QUrl& url, Completion done);

private:
    void fetchLocalFile(const QString& path, Completion done);
    void onRedirected(const QUrl& target);
    void onProgress(qint64 received);
    void onFinished();
    void abortWith(const QString& message);
    Result resultOf(QNetworkReply& reply) const;

    Scheduler& scheduler_;
    FeedAddressPolicy policy_;
    double timeoutSeconds_;
    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
    Completion done_;
    std::optional<QString> abortReason_;
    bool isReadingLocalFile_ = false;
    TaskSlot deadline_;
};

}  // namespace moravel
