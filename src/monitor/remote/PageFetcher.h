#pragma once

#include "monitor/remote/RemoteAddress.h"
#include "support/Scheduler.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <variant>

namespace moravel {

// What is fetched, and from whom (for the failures: "the exporter", "the server").
struct PageRequest {
    QUrl url;
    std::optional<QByteArray> authorization;
    QByteArray accept;
    size_t largestPage = 0;
    double timeoutSeconds = 2;
    QString speaker;
    // Statuses whose page is the answer all the same (an API's refusal, with
    // its reason in the page).
    QList<int> answeringStatuses = {};
};

// A page, or why there is none, in words.
using PageResult = std::variant<QByteArray, QString>;

// Pages of another machine's service over HTTP(S), fetched without ever
// waiting on the network: certificates are always verified (Qt's default,
// never relaxed here), at most a few redirects are followed, on the same
// scheme, host and port, a page larger than its request allows is refused as
// soon as that shows (its announced length, or the bytes so far) and no more
// of it is buffered than a small read buffer, and a fetch not done within its
// time fails. Several fetches may run at once.
class PageFetcher final : public QObject {
    Q_OBJECT

public:
    static constexpr int maximumRedirects = 3;

    explicit PageFetcher(Scheduler& scheduler, QObject* parent = nullptr);
    // Fetches still running end without an answer.
    ~PageFetcher() override;

    // Calls `done` once, on the main thread, unless the fetcher goes first.
    void fetch(const PageRequest& request, std::function<void(PageResult)> done);

private:
    Scheduler& scheduler_;
    QNetworkAccessManager network_;
};

}  // namespace moravel
