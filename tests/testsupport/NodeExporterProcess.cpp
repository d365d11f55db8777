#include "testsupport/NodeExporterProcess.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

namespace moravel::fixtures {

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace

QString NodeExporterProcess::program()
{
    return QStandardPaths::findExecutable(QStringLiteral("prometheus-node-exporter"));
}

NodeExporterProcess::NodeExporterProcess(const QString& treeRoot)
    : NodeExporterProcess(ExporterMachine{treeRoot + "/proc", treeRoot + "/sys", treeRoot + "/rootfs",
                                          {"cpu", "meminfo", "netdev", "loadavg", "filesystem", "hwmon",
                                           "powersupplyclass", "diskstats"}})
{
}

NodeExporterProcess::NodeExporterProcess(ExporterMachine machine) : machine_(std::move(machine)), port_(freePort())
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

NodeExporterProcess::~NodeExporterProcess()
{
    stop();
}

bool NodeExporterProcess::start(const QStringList& extraArguments)
{
    QStringList arguments{QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port_),
                          "--path.procfs=" + machine_.proc, "--path.sysfs=" + machine_.sys,
                          "--path.rootfs=" + machine_.rootfs, "--collector.disable-defaults",
                          // The interface list from <proc>/net/dev, as this computer reads it.
                          "--no-collector.netdev.netlink"};
    for (const QString& collector : machine_.collectors)
        arguments.append("--collector." + collector);
    process_.start(program(), arguments + extraArguments);
    // Bounded: the exporter listens within milliseconds once started.
    const QDeadlineTimer limit(10'000);
    while (!limit.hasExpired() && process_.state() != QProcess::NotRunning) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port_);
        if (probe.waitForConnected(200))
            return true;
        process_.waitForFinished(50);
    }
    failure_ = QStringLiteral("the exporter did not come up: ") + QString::fromLocal8Bit(process_.readAll());
    return false;
}

void NodeExporterProcess::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QUrl NodeExporterProcess::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/metrics").arg(port_));
}

}  // namespace moravel::fixtures
