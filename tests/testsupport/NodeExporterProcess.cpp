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

NodeExporterProcess::NodeExporterProcess(const QString& treeRoot) : treeRoot_(treeRoot), port_(freePort())
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
}

NodeExporterProcess::~NodeExporterProcess()
{
    stop();
}

bool NodeExporterProcess::start(const QStringList& extraArguments)
{
    process_.start(program(), QStringList{
        QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(port_),
        "--path.procfs=" + treeRoot_ + "/proc", "--path.sysfs=" + treeRoot_ + "/sys",
        "--path.rootfs=" + treeRoot_ + "/rootfs", "--collector.disable-defaults", "--collector.cpu",
        "--collector.meminfo", "--collector.netdev", "--no-collector.netdev.netlink", "--collector.loadavg",
        "--collector.filesystem", "--collector.hwmon", "--collector.powersupplyclass",
        "--collector.diskstats"} + extraArguments);
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
