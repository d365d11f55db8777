#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace moravel::fixtures {

// A real prometheus-node-exporter on 127.0.0.1, reading a fixture tree's
// proc, sys and rootfs folders with only the collectors Moravel reads.
class NodeExporterProcess {
public:
    // Empty when the exporter is not installed.
    static QString program();

    explicit NodeExporterProcess(const QString& treeRoot);
    ~NodeExporterProcess();

    // Starts it (again on the same port after stop()) and waits, bounded,
    // until it answers. False, with the reason in `failure()`, otherwise.
    bool start(const QStringList& extraArguments = {});
    void stop();
    QUrl url() const;
    const QString& failure() const { return failure_; }

private:
    QString treeRoot_;
    quint16 port_ = 0;
    QProcess process_;
    QString failure_;
};

}  // namespace moravel::fixtures
