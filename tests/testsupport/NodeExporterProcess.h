#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace moravel::fixtures {

// Where an exporter reads its machine from, and what of it.
struct ExporterMachine {
    QString proc;
    QString sys;
    QString rootfs;
    QStringList collectors;
};

// A real prometheus-node-exporter on 127.0.0.1, by default reading a fixture
// tree's proc, sys and rootfs folders with only the collectors Moravel reads.
class NodeExporterProcess {
public:
    // Empty when the exporter is not installed.
    static QString program();

    explicit NodeExporterProcess(const QString& treeRoot);
    explicit NodeExporterProcess(ExporterMachine machine);
    ~NodeExporterProcess();

    // Starts it (again on the same port after stop()) and waits, bounded,
    // until it answers. False, with the reason in `failure()`, otherwise.
    bool start(const QStringList& extraArguments = {});
    void stop();
    QUrl url() const;
    const QString& failure() const { return failure_; }

private:
    ExporterMachine machine_;
    quint16 port_ = 0;
    QProcess process_;
    QString failure_;
};

}  // namespace moravel::fixtures
