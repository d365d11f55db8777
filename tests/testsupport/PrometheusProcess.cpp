#include "testsupport/PrometheusProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTcpServer>

namespace moravel::fixtures {

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Whether the server says it is ready, asked once (a second at most).
bool isReady(const QUrl& url)
{
    QNetworkAccessManager network;
    QNetworkReply* reply = network.get(QNetworkRequest(url.resolved(QUrl(QStringLiteral("/-/ready")))));
    QDeadlineTimer limit(1000);
    while (!reply->isFinished() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    const bool ready = reply->isFinished() && reply->error() == QNetworkReply::NoError;
    reply->abort();
    reply->deleteLater();
    return ready;
}

}  // namespace

QString PrometheusProcess::program()
{
    return QStandardPaths::findExecutable(QStringLiteral("prometheus"));
}

PrometheusProcess::PrometheusProcess(const QList<Target>& targets, const QString& job) : port_(freePort())
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
    QString config = QStringLiteral("global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                                    "scrape_configs:\n  - job_name: %1\n    static_configs:\n")
                         .arg(job);
    for (const Target& target : targets)
        config += QStringLiteral("      - targets: ['%1']\n        labels:\n          instance: '%2'\n")
                      .arg(target.address, target.instance);
    QFile file(dir_.filePath(QStringLiteral("prometheus.yml")));
    if (file.open(QIODevice::WriteOnly))
        file.write(config.toUtf8());
}

PrometheusProcess::~PrometheusProcess()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool PrometheusProcess::start()
{
    process_.start(program(), {"--config.file=" + dir_.filePath(QStringLiteral("prometheus.yml")),
                               "--storage.tsdb.path=" + dir_.filePath(QStringLiteral("data")),
                               QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port_),
                               QStringLiteral("--log.level=warn")});
    // Bounded: the server is ready within a second or two of starting.
    const QDeadlineTimer limit(20'000);
    while (!limit.hasExpired() && process_.state() != QProcess::NotRunning) {
        if (isReady(url()))
            return true;
        process_.waitForFinished(100);
    }
    failure_ = QStringLiteral("Prometheus did not come up: ") + QString::fromLocal8Bit(process_.readAll());
    return false;
}

QUrl PrometheusProcess::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port_));
}

}  // namespace moravel::fixtures
