#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace moravel::fixtures {

// A real Prometheus server on 127.0.0.1, with a configuration and a data
// folder of its own in a temporary folder, scraping the given targets every
// second under the instance names given for them.
class PrometheusProcess {
public:
    struct Target {
        QString address;   // "127.0.0.1:40123"
        QString instance;  // the name the server files it under: "web1.lan:9100"
    };

    // Empty when Prometheus is not installed.
    static QString program();

    explicit PrometheusProcess(const QList<Target>& targets, const QString& job = QStringLiteral("node"));
    ~PrometheusProcess();

    // Starts it and waits, bounded, until it is ready to answer queries.
    // False, with the reason in `failure()`, otherwise.
    bool start();
    QUrl url() const;
    const QString& failure() const { return failure_; }

private:
    QTemporaryDir dir_;
    quint16 port_ = 0;
    QProcess process_;
    QString failure_;
};

}  // namespace moravel::fixtures
