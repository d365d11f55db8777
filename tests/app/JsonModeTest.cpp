// Runs the real program against a fixture tree, as a script or status bar would.
#include "testsupport/FixtureTree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using moravel::fixtures::FixtureTree;

namespace {

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ProgramRun runMoravel(const QStringList& arguments, const FixtureTree* tree = nullptr)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (tree) {
        environment.insert("MORAVEL_PROC_ROOT", tree->procRoot());
        environment.insert("MORAVEL_SYS_ROOT", tree->sysRoot());
    }
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MORAVEL_BINARY), arguments);
    process.waitForFinished(20'000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

}  // namespace

TEST(JsonMode, OneLinePerRefreshWithEveryField)
{
    FixtureTree tree;
    tree.write("proc/stat", "cpu  1 0 0 9 0 0 0 0 0 0\n");
    tree.write("proc/meminfo", "MemTotal: 2000 kB\nMemAvailable: 500 kB\n");
    tree.write("proc/net/dev", "h\nh\n  eth0: 10 1 0 0 0 0 0 0 20 1 0 0 0 0 0 0\n");
    tree.write("sys/class/net/eth0/flags", "0x1003\n");
    tree.write("proc/uptime", "100.00 50.00\n");
    tree.write("proc/42/stat", "42 (worker) S 1 1 1 0 -1 0 0 0 0 0 5000 0 0 0 20 0 1 0 0 1000 10 0\n");

    const ProgramRun run = runMoravel({"--json", "--count", "1", "--processes"}, &tree);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    const QJsonObject object = QJsonDocument::fromJson(lines[0]).object();
    for (const char* key : {"time", "cpuPercent", "memoryPercent", "memoryUsed", "memoryTotal",
                            "downloadBytesPerSecond", "uploadBytesPerSecond", "diskPercent", "diskUsed", "diskTotal",
                            "hasBattery", "batteryPercent", "isCharging", "isExternalPowerConnected", "isFullyCharged",
                            "minutesRemaining", "batteryPowerWatts", "systemInputWatts", "displayPowerWatts",
                            "adapterWatts", "adapterVoltage", "adapterCurrent", "topProcesses"})
        EXPECT_TRUE(object.contains(key)) << key;
    EXPECT_EQ(object["memoryUsed"].toInteger(), 1500 * 1024);
    EXPECT_TRUE(object["minutesRemaining"].isNull());
    // Even the one line of --count 1 carries the disk and the processes.
    EXPECT_GT(object["diskTotal"].toInteger(), 0);
    EXPECT_EQ(object["topProcesses"].toArray().size(), 1);
    EXPECT_FALSE(object["hasBattery"].toBool());
    EXPECT_TRUE(object["time"].toString().endsWith('Z'));
}

TEST(JsonMode, UsageErrorsExitWithStatusTwo)
{
    const ProgramRun unknown = runMoravel({"--bogus"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.err.contains("--bogus"));
    EXPECT_EQ(runMoravel({"--json", "--count", "many"}).exitCode, 2);
}
