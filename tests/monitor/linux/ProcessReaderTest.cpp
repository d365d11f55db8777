#include "monitor/linux/ProcessReader.h"
#include "monitor/linux/ProcessTable.h"
#include "testsupport/FixtureTree.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace moravel;
using namespace std::string_literals;
using moravel::fixtures::FixtureTree;

namespace {

std::string statLine(int32_t pid, const std::string& comm, uint64_t utime, uint64_t stime, uint64_t startTime,
                     uint64_t rssPages)
{
    return std::to_string(pid) + " (" + comm + ") S 1 1 1 0 -1 4194560 10 0 0 0 " + std::to_string(utime) + " "
           + std::to_string(stime) + " 0 0 20 0 1 0 " + std::to_string(startTime) + " 1000000 "
           + std::to_string(rssPages) + " 18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 0 0 0 0 0 0\n";
}

// 100 ticks a second, 4 KiB pages and 4 processors, whatever the machine running the tests.
constexpr ProcessClock testClock{100, 4096, 4};

class ProcessTree : public ::testing::Test {
protected:
    void process(int32_t pid, const std::string& comm, uint64_t ticks, uint64_t startTime, uint64_t pages = 1)
    {
        const QString dir = QStringLiteral("proc/%1/").arg(pid);
        tree.write(dir + "stat", statLine(pid, comm, ticks, 0, startTime, pages));
        tree.write(dir + "cmdline", "");
    }

    void uptime(double seconds) { tree.write("proc/uptime", std::to_string(seconds) + " 1234.00\n"); }

    ProcessReading read(ProcessHistory previous = {}, int32_t ownPid = 999)
    {
        return readProcessTable(tree.procRoot().toStdString(), std::move(previous), ownPid, testClock);
    }

    FixtureTree tree;
};

ProcessMetric row(int32_t id, double cpu, uint64_t memory)
{
    return ProcessMetric{id, QStringLiteral("p%1").arg(id), cpu, memory};
}

QList<int32_t> ids(const QList<ProcessMetric>& rows)
{
    QList<int32_t> out;
    for (const ProcessMetric& metric : rows)
        out.append(metric.id);
    return out;
}

}  // namespace

TEST(ProcessStat, NameRunsToTheLastParenthesisAndBrokenLinesGiveNothing)
{
    const std::string whole = statLine(42, "my (odd) app)", 150, 50, 3000, 25);
    const ProcessStat stat = parseProcessStat(whole).value();
    EXPECT_EQ(std::tie(stat.comm, stat.cpuTicks, stat.startTime, stat.residentPages),
              std::tuple("my (odd) app)"s, 200u, 3000u, 25u));

    std::string garbled = whole;
    garbled.replace(garbled.find(" 3000 1000000"), 5, " x");
    // Processor ticks that wrap past 64 bits are no process's.
    const std::string wrapping = statLine(42, "app", UINT64_MAX, 2, 3000, 25);
    for (const std::string& broken :
         {whole.substr(0, whole.find(" 1000000 ")), "42 app S 1 1"s, garbled, ""s, wrapping})
        EXPECT_FALSE(parseProcessStat(broken)) << broken;

    EXPECT_DOUBLE_EQ(*parseUptimeSeconds("12345.67 23456.78\n"), 12345.67);
    EXPECT_FALSE(parseUptimeSeconds("12345,67 1\n"));  // whatever the locale
}

TEST(ProcessName, Cases)
{
    const struct {
        const char* comm;
        std::string cmdline;
        QString expected;
    } rows[] = {
        {"gnome-shell-cal", "/usr/libexec/gnome-shell-calendar-server\0--x"s, "gnome-shell-calendar-server"},
        {"Web Content", "/usr/lib/firefox/firefox\0-contentproc"s, "Web Content"},
        {"kworker/0:1", "", "kworker/0:1"},
        {"", "", "77"},
        {"caf\xe9", "", QStringLiteral("caf") + QChar(QChar::ReplacementCharacter)},
        {"\x1b]0;pwned\a", "", "?]0;pwned?"},  // a name that would steer a terminal
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.comm);
        EXPECT_EQ(processName(row.comm, row.cmdline, 77), row.expected);
    }
}

// Six by processor, then six by memory without those already in.
TEST(TopProcesses, SixByProcessorThenSixByMemoryEachOnce)
{
    QList<ProcessMetric> rows;
    for (int32_t id = 1; id <= 20; ++id)
        rows.append(row(id, id <= 6 ? 100.0 - id : 1.0, id >= 5 && id <= 10 ? 1000u - id : 10u));
    // Processor order 1..6, then memory order 5..10 without 5 and 6.
    EXPECT_EQ(ids(selectTopProcesses(rows)), (QList<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    // Few rows each once.
    const QList<ProcessMetric> few{row(1, 1, 400), row(2, 9, 100), row(3, 5, 300), row(4, 7, 200)};
    EXPECT_EQ(ids(selectTopProcesses(few)), (QList<int32_t>{2, 4, 3, 1}));
}

TEST_F(ProcessTree, FirstReadingAveragesOverEachProcesssLifeLeavingOutItself)
{
    uptime(100);
    // 25 s of CPU in 50 s alive; the name keeps its spaces and parentheses.
    process(10, "tmux: server (1)", 2500, 5000, 256);
    // A FIFO in a copied tree would block a reader for good: named without its command line.
    tree.makeFifo("proc/10/cmdline");
    process(999, "moravel", 9000, 0);
    tree.makeDirectory("proc/self");
    tree.makeDirectory("proc/11");  // gone before its stat could be read
    // Resident sizes no process has: 2^52 pages of 4 KiB wrap to 0 bytes.
    process(12, "wraps", 9000, 5000, uint64_t{1} << 52);
    process(13, "wraps", 9000, 5000, UINT64_MAX);
    const ProcessReading reading = read({}, 999);
    ASSERT_EQ(reading.top.size(), 1);
    EXPECT_EQ(reading.top[0], (ProcessMetric{10, QStringLiteral("tmux: server (1)"), 50.0, 256u * 4096u}));
    EXPECT_DOUBLE_EQ(reading.history.takenAtSeconds, 100);
}

// A later reading measures since the previous one; a reused pid over its
// own life. Counters that go back or jump never give a share below 0 or
// above all processors busy; either way the new reading is the next one's
// baseline.
TEST_F(ProcessTree, LaterReadingsMeasureSinceThePreviousOneWithinBounds)
{
    const struct {
        const char* name;
        uint64_t ticksBefore;
        uint64_t ticksAfter;
        uint64_t startAfter;  // a pid reused since gives a lifetime average
        double percent;
    } rows[] = {
        {"one and a half cores", 100, 250, 0, 150},
        {"a reused pid", 9000, 100, 10'000, 100},  // started at 100 s, 1 s of CPU since
        {"went back", 5000, 4000, 0, 0},
        {"lifetime past every processor", 100, 10'000, 9950, 400},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        uptime(100);
        process(10, "p", row.ticksBefore, 0);
        ProcessReading first = read();
        uptime(101);
        process(10, "p", row.ticksAfter, row.startAfter);
        const ProcessReading second = read(std::move(first.history));
        EXPECT_DOUBLE_EQ(second.top[0].cpuPercent, row.percent);
        ASSERT_TRUE(second.history.find(10));
        EXPECT_EQ(second.history.find(10)->cpuTicks, row.ticksAfter);
    }
}

TEST_F(ProcessTree, UnreadableTableGivesNoRowsAndKeepsTheHistory)
{
    process(10, "other", 10, 0);  // no uptime file
    ProcessHistory previous;
    previous.isValid = true;
    previous.takenAtSeconds = 50;
    previous.entries.push_back({10, 0, 5});
    const ProcessReading reading = read(previous);
    EXPECT_TRUE(reading.top.isEmpty());
    EXPECT_EQ(reading.history.entries.size(), 1u);
    EXPECT_DOUBLE_EQ(reading.history.takenAtSeconds, 50);
}
