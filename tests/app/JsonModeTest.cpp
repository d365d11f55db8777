// Runs the real program against a fixture tree, as a script or status bar would.
#include "history/HistoryFormat.h"
#include "testsupport/ChildEnvironment.h"
#include "testsupport/Files.h"
#include "testsupport/Application.h"
#include "testsupport/FixtureTree.h"
#include "testsupport/LocalHttpServer.h"
#include "testsupport/NodeExporterProcess.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

using moravel::fixtures::FixtureTree;
using moravel::fixtures::NodeExporterProcess;
using moravel::fixtures::readFile;
using moravel::fixtures::writeFile;

namespace {

struct ProgramRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program to its end (bounded). `prepare` may change the child's
// environment or standard output before it starts.
ProgramRun runMoravel(const QStringList& arguments, const FixtureTree* tree = nullptr,
                      const std::function<void(QProcess&, QProcessEnvironment&)>& prepare = {})
{
    QProcess process;
    QProcessEnvironment environment = moravel::fixtures::environmentWithoutSessionBus();
    if (tree) {
        environment.insert("MORAVEL_PROC_ROOT", tree->procRoot());
        environment.insert("MORAVEL_SYS_ROOT", tree->sysRoot());
    }
    if (prepare)
        prepare(process, environment);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MORAVEL_BINARY), arguments);
    process.waitForFinished(20'000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

void writeMachine(FixtureTree& tree)
{
    tree.write("proc/stat", "cpu  1 0 0 9 0 0 0 0 0 0\n");
    tree.write("proc/meminfo", "MemTotal: 2000 kB\nMemAvailable: 500 kB\n");
    tree.write("proc/net/dev", "h\nh\n  eth0: 10 1 0 0 0 0 0 0 20 1 0 0 0 0 0 0\n");
    tree.write("sys/class/net/eth0/flags", "0x1003\n");
}

}  // namespace

TEST(JsonMode, OneLinePerRefreshWithEveryField)
{
    FixtureTree tree;
    writeMachine(tree);
    tree.write("proc/uptime", "100.00 50.00\n");
    tree.write("proc/42/stat", "42 (worker) S 1 1 1 0 -1 0 0 0 0 0 5000 0 0 0 20 0 1 0 0 1000 10 0\n");

    const ProgramRun run = runMoravel({"--json", "--count", "1", "--processes"}, &tree);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<QByteArray> lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    const QJsonObject object = QJsonDocument::fromJson(lines[0]).object();
    // The snapshot line tests pin each field and its form; here the program prints the line.
    EXPECT_EQ(object["memoryUsed"].toInteger(), 1500 * 1024);
    EXPECT_TRUE(object["minutesRemaining"].isNull());
    EXPECT_TRUE(object["swapPercent"].isNull());  // the machine has no swap
    // Even the one line of --count 1 carries the disk and the processes.
    EXPECT_GT(object["diskTotal"].toInteger(), 0);
    EXPECT_EQ(object["topProcesses"].toArray().size(), 1);
    // A computer without a battery or an adapter has none of their figures: null, never a made-up zero.
    EXPECT_EQ(object["hasBattery"], QJsonValue(false));
    for (const char* key : {"batteryPercent", "batteryPowerWatts", "adapterWatts", "adapterVoltage", "adapterCurrent"})
        EXPECT_TRUE(object[key].isNull()) << key;
}

// What cannot be done is said in one line on standard error, with a status
// that tells it (2 for a usage error). Every run reads a tree whose /proc/stat
// is a FIFO that never answers: nothing may wait for it.
TEST(JsonMode, FailuresAreToldNotFakedAndNothingHangs)
{
    using Prepare = std::function<void(QProcess&, QProcessEnvironment&)>;
    const struct {
        const char* name;
        QStringList arguments;
        Prepare prepare;
        int exitCode;
        const char* error;  // expected in the one line on standard error; nullptr: no line at all
    } rows[] = {
        {"a FIFO as /proc/stat", {"--json", "--count", "1"}, {}, 0, nullptr},
        {"a reader root that does not exist", {"--json", "--count", "1"},
         [](QProcess&, QProcessEnvironment& environment) { environment.insert("MORAVEL_PROC_ROOT", "/nonexistent"); },
         0, "moravel: MORAVEL_PROC_ROOT=/nonexistent is not a readable folder"},
        {"a display without a server", {},
         [](QProcess&, QProcessEnvironment& environment) {
             environment.insert("DISPLAY", ":4711");
             environment.remove("WAYLAND_DISPLAY");
             environment.remove("QT_QPA_PLATFORM");
         },
         1, "moravel: cannot open the display \":4711\""},
        {"a reader that went away", {"--json", "--count", "3"},
         [](QProcess& process, QProcessEnvironment&) {
             process.setChildProcessModifier([] {  // standard output: a pipe nobody reads
                 int ends[2];
                 if (::pipe(ends) == 0 && ::close(ends[0]) == 0)
                     ::dup2(ends[1], STDOUT_FILENO);
             });
         },
         1, "moravel: cannot write the readings to standard output: Broken pipe"},
        {"an unknown option", {"--bogus"}, {}, 2, "moravel: unknown option \"--bogus\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FixtureTree tree;
        writeMachine(tree);
        tree.makeFifo("proc/stat");
        const ProgramRun run = runMoravel(row.arguments, &tree, row.prepare);
        EXPECT_EQ(run.exitCode, row.exitCode);
        if (!row.error) {
            EXPECT_EQ(run.err, QByteArray());
            continue;
        }
        EXPECT_TRUE(run.err.startsWith(row.error)) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
}

TEST(HistoryMode, PrintsTheKeptMinutesOldestFirstAndTellsADamagedFileWithoutTouchingIt)
{
    QTemporaryDir state;
    const QString path = state.filePath("Moravel/history.json");
    const qint64 now = QDateTime::currentSecsSinceEpoch() / 60 * 60;
    QList<moravel::MinuteBucket> buckets;
    for (const qint64 age : {2 * 86400, 7200, 600}) {
        moravel::MinuteBucket bucket;
        bucket.minute = now - age;
        bucket.sampleCount = 60;
        bucket[moravel::Series::cpu] = {1, 2.5, 4};
        buckets.append(bucket);
    }
    ASSERT_TRUE(writeFile(path, moravel::HistoryFormat::encode(buckets)));
    const auto inState = [&](QProcess&, QProcessEnvironment& environment) {
        environment.insert("XDG_STATE_HOME", state.path());
    };

    const ProgramRun all = runMoravel({"--history"}, nullptr, inState);
    ASSERT_EQ(all.exitCode, 0) << all.err.toStdString();
    const QList<QByteArray> lines = all.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);  // the last day only
    const QJsonObject oldest = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(oldest["time"].toString(), QDateTime::fromSecsSinceEpoch(now - 7200, Qt::UTC).toString(Qt::ISODate));
    EXPECT_EQ(oldest["cpuPercent"].toDouble(), 2.5);
    EXPECT_EQ(oldest["cpuPercentMin"].toDouble(), 1);
    EXPECT_EQ(oldest["cpuPercentMax"].toDouble(), 4);
    EXPECT_TRUE(oldest["memoryPercent"].isNull());
    EXPECT_EQ(runMoravel({"--history", "--since", "1h"}, nullptr, inState).out.count('\n'), 1);

    ASSERT_TRUE(writeFile(path, "{torn"));
    const ProgramRun damaged = runMoravel({"--history"}, nullptr, inState);
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.err, "moravel: the history in " + path.toUtf8() + " cannot be read: it is damaged\n");
    // A FIFO there is refused by the reading the history recorder shares, and checked with it.
    EXPECT_EQ(readFile(path), "{torn");
}

// Another machine out of reach, then back: no made-up lines meanwhile, one
// line on standard error when it cannot be read and one when it can again, and
// --count counts the printed lines only.
TEST(JsonMode, ASourceOutOfReachPrintsNothingUntilItAnswersAndCountsOnlyPrintedLines)
{
    if (NodeExporterProcess::program().isEmpty())
        GTEST_SKIP() << "prometheus-node-exporter is not installed (scripts/install-deps installs it)";
    FixtureTree tree;
    writeMachine(tree);
    NodeExporterProcess exporter(tree.root());  // not started yet: its port refuses connections
    const QByteArray address = exporter.url().toString().toUtf8();
    QProcess moravel;
    moravel.setProcessEnvironment(moravel::fixtures::environmentWithoutSessionBus());
    moravel.start(QStringLiteral(MORAVEL_BINARY), {"--json", "--count", "2", "--source", exporter.url().toString()});
    QByteArray errors;
    for (const QDeadlineTimer limit(20'000); !errors.contains('\n') && !limit.hasExpired();) {
        moravel.waitForFinished(50);
        errors += moravel.readAllStandardError();
    }
    ASSERT_TRUE(errors.startsWith("moravel: cannot read " + address + ": ")) << errors.toStdString();
    EXPECT_EQ(moravel.state(), QProcess::Running);
    ASSERT_TRUE(exporter.start()) << exporter.failure().toStdString();

    ASSERT_TRUE(moravel.waitForFinished(30'000));
    EXPECT_EQ(moravel.exitCode(), 0);
    const QList<QByteArray> lines = moravel.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    for (const QByteArray& line : lines)
        EXPECT_EQ(QJsonDocument::fromJson(line).object()["memoryUsed"].toInteger(), 1500 * 1024);
    errors += moravel.readAllStandardError();
    EXPECT_TRUE(errors.endsWith("\nmoravel: can read " + address + " again\n")) << errors.toStdString();
    EXPECT_EQ(errors.count('\n'), 2) << errors.toStdString();
}

// A fleet's line: its worst readings, and every machine.
TEST(JsonMode, APrometheusServersLineListsItsMachines)
{
    moravel::fixtures::ensureApplication();
    moravel::fixtures::LocalHttpServer server;
    // Every query answers the same: one machine, up, one percent busy.
    server.serve("/api/v1/query", "200 OK",
                 R"({"status":"success","data":{"resultType":"vector","result":[)"
                 R"({"metric":{"instance":"web1.lan:9100","job":"node"},"value":[1700000000,"1"]}]}})");
    const QString address = "prometheus+" + server.url({}).toString();
    QProcess moravel;
    moravel.setProcessEnvironment(moravel::fixtures::environmentWithoutSessionBus());
    moravel.start(QStringLiteral(MORAVEL_BINARY), {"--json", "--count", "1", "--source", address});
    // The server answers from this process's event loop.
    ASSERT_TRUE(moravel::fixtures::processEventsUntil([&] { return moravel.state() == QProcess::NotRunning; },
                                                      20'000));
    ASSERT_EQ(moravel.exitCode(), 0) << moravel.readAllStandardError().toStdString();
    const QList<QByteArray> lines = moravel.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1);
    const QJsonObject line = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(line["source"].toString(), address);
    EXPECT_EQ(line["cpuPercent"].toDouble(), 1);
    const QJsonArray machines = line["machines"].toArray();
    ASSERT_EQ(machines.size(), 1);
    // Each field of a machine's entry is pinned with the fleet rules.
    EXPECT_EQ(machines[0]["instance"].toString(), "web1.lan:9100");
    EXPECT_EQ(machines[0]["cpuPercent"].toDouble(), 1);
}
