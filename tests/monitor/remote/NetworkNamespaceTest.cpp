// A real kernel's veth pair and bridge, in network namespaces of the test's
// own, read by this computer's network reader and by a real node exporter.
#include "monitor/linux/NetworkCounters.h"
#include "monitor/remote/NodeExporterInterfaces.h"
#include "monitor/remote/NodeExporterReadings.h"
#include "testsupport/Application.h"
#include "testsupport/NodeExporterProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <utility>

using namespace moravel;
using moravel::fixtures::ExporterMachine;
using moravel::fixtures::NodeExporterProcess;
using moravel::fixtures::processEventsUntil;

namespace {

QString runIp(const QStringList& arguments)
{
    QProcess ip;
    ip.setProcessChannelMode(QProcess::MergedChannels);
    ip.start(QStringLiteral("ip"), arguments);
    if (!ip.waitForFinished(10'000))
        return QStringLiteral("ip did not run: ") + ip.errorString();
    if (ip.exitStatus() != QProcess::NormalExit || ip.exitCode() != 0)
        return QStringLiteral("ip ") + arguments.join(' ') + ": " + QString::fromLocal8Bit(ip.readAll()).trimmed();
    return {};
}

// A network namespace of the test's own, deleted with it.
class NetworkNamespace {
public:
    explicit NetworkNamespace(const QString& role)
        : name_(QStringLiteral("moravel-%1-%2").arg(role).arg(::getpid())), failure_(runIp({"netns", "add", name_}))
    {
        // No IPv6: its router solicitations would move the counters by themselves.
        if (failure_.isEmpty())
            exec({"sh", "-c", "echo 1 > /proc/sys/net/ipv6/conf/default/disable_ipv6; "
                              "echo 1 > /proc/sys/net/ipv6/conf/all/disable_ipv6; true"});
    }
    ~NetworkNamespace()
    {
        if (failure_.isEmpty())
            runIp({"netns", "delete", name_});
    }

    const QString& name() const { return name_; }
    const QString& failure() const { return failure_; }
    // `ip -n NAME arguments`: empty when it worked, else what went wrong.
    QString ip(const QStringList& arguments) const { return runIp(QStringList{"-n", name_} + arguments); }
    QString exec(const QStringList& command) const { return runIp(QStringList{"netns", "exec", name_} + command); }

private:
    QString name_;
    QString failure_;
};

// Counted interfaces by name, with their counters.
std::map<std::string, DeviceCounters> byName(const std::vector<DeviceCounters>& interfaces)
{
    std::map<std::string, DeviceCounters> named;
    for (const DeviceCounters& counters : interfaces)
        named.emplace(counters.name, counters);
    return named;
}

QByteArray fetch(const QUrl& url)
{
    QNetworkAccessManager manager;
    const std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    processEventsUntil([&] { return reply->isFinished(); });
    return reply->readAll();
}

}  // namespace

// What the exporter publishes of a veth pair and a bridge makes them virtual,
// as their missing device links make them here; with nothing backed by a
// device, both count every up interface, and another machine's traffic is
// exactly the traffic this computer counts.
TEST(NetworkNamespace, AVethPairAndABridgeAreJudgedAndCountedAsThisComputerDoes)
{
    if (NodeExporterProcess::program().isEmpty())
        GTEST_SKIP() << "prometheus-node-exporter is not installed (scripts/install-deps installs it)";
    fixtures::ensureApplication();
    NetworkNamespace machine(QStringLiteral("machine"));
    if (!machine.failure().isEmpty())
        GTEST_SKIP() << "network namespaces cannot be made here (it takes root and iproute2): "
                     << machine.failure().toStdString();
    NetworkNamespace peer(QStringLiteral("peer"));
    ASSERT_EQ(peer.failure(), QString());
    // peer v0 (10.77.0.1) <-> v1, a port of the bridge br0 (10.77.0.2) of the machine.
    for (const QString& failure :
         {machine.ip({"link", "add", "v1", "type", "veth", "peer", "name", "v0", "netns", peer.name()}),
          machine.ip({"link", "add", "br0", "address", "02:00:00:00:77:02", "type", "bridge"}),
          machine.ip({"link", "set", "v1", "master", "br0"}), machine.ip({"addr", "add", "10.77.0.2/24", "dev", "br0"}),
          peer.ip({"addr", "add", "10.77.0.1/24", "dev", "v0"}),
          // Known neighbours: no address resolution moving counters meanwhile.
          peer.ip({"link", "set", "v0", "address", "02:00:00:00:77:01"}),
          peer.ip({"neigh", "add", "10.77.0.2", "lladdr", "02:00:00:00:77:02", "dev", "v0"}),
          machine.ip({"neigh", "add", "10.77.0.1", "lladdr", "02:00:00:00:77:01", "dev", "br0"}),
          machine.ip({"link", "set", "lo", "up"}), machine.ip({"link", "set", "v1", "up"}),
          machine.ip({"link", "set", "br0", "up"}), peer.ip({"link", "set", "v0", "up"})})
        ASSERT_EQ(failure, QString());

    // A process inside the machine's namespace, whose /proc/PID/net/dev and
    // /proc/PID/root/sys show that namespace to this computer's reader and to
    // the exporter alike.
    QProcess inside;
    inside.start(QStringLiteral("ip"), {"netns", "exec", machine.name(), "sh", "-c", "echo ready; exec cat"});
    ASSERT_TRUE(inside.waitForReadyRead(10'000)) << inside.errorString().toStdString();
    const QString proc = QStringLiteral("/proc/%1").arg(inside.processId());
    const QString sys = proc + QStringLiteral("/root/sys");
    NodeExporterProcess exporter(ExporterMachine{proc, sys, QStringLiteral("/"), {"netdev", "netclass"}});
    ASSERT_TRUE(exporter.start()) << exporter.failure().toStdString();
    NetworkCounters here(proc.toStdString(), sys.toStdString());
    const auto readThere = [&] {
        const QByteArray text = fetch(exporter.url());
        auto parsed = parseExposition(std::string_view(text.constData(), static_cast<size_t>(text.size())));
        EXPECT_TRUE(std::holds_alternative<ExpositionPage>(parsed)) << text.toStdString();
        return std::holds_alternative<ExpositionPage>(parsed) ? std::get<ExpositionPage>(std::move(parsed))
                                                               : ExpositionPage{};
    };

    const ExpositionPage before = readThere();
    const auto states = netclassInterfaceStates(MetricFamilies(before));
    for (const char* name : {"lo", "v1", "br0"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(states.contains(name));
        EXPECT_EQ(states.at(name).hasDevice, QFileInfo::exists(sys + "/class/net/" + name + "/device"));
        EXPECT_FALSE(states.at(name).hasDevice);
    }
    const auto countedHere = byName(here.read().value());
    EXPECT_EQ(byName(readNodePage(before).network.value()), countedHere);
    EXPECT_EQ(countedHere.size(), 2u);  // v1 and br0: loopback never counts

    // 50 datagrams of 1000 bytes from the peer, through v1 and up the bridge.
    ASSERT_EQ(peer.exec({"bash", "-c", "for i in {1..50}; do printf '%1000s' > /dev/udp/10.77.0.2/9; done"}), QString());
    // The kernel may finish delivering (and answering) them a moment later.
    auto grownHere = byName(here.read().value());
    processEventsUntil([&] { return std::exchange(grownHere, byName(here.read().value())) == grownHere; });
    const auto grownThere = byName(readNodePage(readThere()).network.value());
    EXPECT_EQ(grownThere, byName(here.read().value()));
    for (const char* name : {"v1", "br0"})
        EXPECT_GE(grownHere.at(name).in - countedHere.at(name).in, 50u * 1000) << name;
    inside.closeWriteChannel();
    inside.waitForFinished(5000);
}
