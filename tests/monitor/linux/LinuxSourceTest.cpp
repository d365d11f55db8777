#include "monitor/SystemMonitor.h"
#include "monitor/TemperaturePolicy.h"
#include "monitor/linux/LinuxSource.h"
#include "support/BackgroundRunner.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FixtureTree.h"

#include <gtest/gtest.h>

#include <string>

using namespace moravel;
using moravel::fixtures::FixtureTree;

namespace {

std::string statLine(uint64_t used, uint64_t idle)
{
    return "cpu  " + std::to_string(used) + " 0 0 " + std::to_string(idle) + " 0 0 0 0 0 0\n";
}

std::string netDev(uint64_t received, uint64_t sent)
{
    return "Inter-| Receive | Transmit\n face |bytes ...|bytes ...\n"
           "    lo: 999 1 0 0 0 0 0 0 999 1 0 0 0 0 0 0\n"
           "  eth0: " + std::to_string(received) + " 1 0 0 0 0 0 0 " + std::to_string(sent) + " 1 0 0 0 0 0 0\n";
}

class LinuxSourceTest : public ::testing::Test {
protected:
    LinuxSourceTest()
    {
        tree.write("proc/stat", statLine(0, 0));
        tree.write("proc/meminfo", "MemTotal: 1000 kB\nMemAvailable: 600 kB\n");
        tree.write("proc/net/dev", netDev(0, 0));
        tree.write("sys/class/net/lo/flags", "0x9\n");
        tree.write("sys/class/net/eth0/flags", "0x1003\n");
        tree.makeDirectory("sys/class/net/eth0/device");
        monitor = makeMonitor();
    }

    struct Interface {
        std::string name;
        bool up = true;
        bool device = true;
        uint64_t received = 0;
    };

    // The interfaces of /proc/net/dev and /sys/class/net; each sends a tenth of what it receives.
    void writeInterfaces(const std::vector<Interface>& interfaces)
    {
        std::string rows = "h\nh\n";
        for (const Interface& i : interfaces) {
            rows += i.name + ": " + std::to_string(i.received) + " 1 0 0 0 0 0 0 " + std::to_string(i.received / 10)
                    + " 1 0 0 0 0 0 0\n";
            const QString base = QString::fromStdString("sys/class/net/" + i.name);
            tree.write(base + "/flags", i.up ? "0x1003\n" : "0x1002\n");
            if (i.device)
                tree.makeDirectory(base + "/device");
        }
        tree.write("proc/net/dev", rows);
    }

    void refreshAfter(double seconds)
    {
        scheduler.advance(seconds);
        monitor->refresh();
    }

    FixtureTree tree;
    VirtualScheduler scheduler;
    ManualRunner runner;
    std::unique_ptr<SystemMonitor> makeMonitor()
    {
        return std::make_unique<SystemMonitor>(
            scheduler, std::make_shared<LinuxSource>(ReaderRoots{tree.procRoot(), tree.sysRoot()}, scheduler, runner));
    }

    std::unique_ptr<SystemMonitor> monitor;
};

}  // namespace

// The first reading is a baseline: the load and the rates it cannot measure
// yet are absent (shown as a dash), not 0 % and 0 B; memory is there at once.
// A failed read later repeats the last values and keeps the previous ticks.
TEST_F(LinuxSourceTest, FirstReadingIsABaselineAndFailedReadsRepeatTheLastValues)
{
    // Memory is a level, known before any reading: never a made-up 0 %.
    EXPECT_EQ(monitor->snapshot().memory->total, 1000u * 1024);
    EXPECT_EQ(monitor->snapshot().memory->used, 400u * 1024);
    tree.write("proc/stat", statLine(100, 900));
    tree.write("proc/diskstats", " 259 0 nvme0n1 1 0 100 1 1 0 100 1 0 0 0 0 0 0 0\n");
    tree.makeDirectory("sys/block/nvme0n1/device");
    monitor->refresh();
    const SystemSnapshot first = monitor->snapshot();
    EXPECT_FALSE(first.cpu || first.network || first.diskActivity);
    EXPECT_TRUE(first.memory);

    tree.write("proc/stat", statLine(130, 970));
    tree.write("proc/net/dev", netDev(1000, 500));
    tree.write("proc/diskstats", " 259 0 nvme0n1 1 0 102 1 1 0 100 1 0 0 0 0 0 0 0\n");
    refreshAfter(1);
    const SystemSnapshot good = monitor->snapshot();
    ASSERT_TRUE(good.cpu && good.network && good.diskActivity);
    ASSERT_DOUBLE_EQ(good.cpu->percent, 30);
    ASSERT_DOUBLE_EQ(good.network->downloadBytesPerSecond, 1000);  // loopback left out
    ASSERT_DOUBLE_EQ(good.diskActivity->readBytesPerSecond, 1024);
    ASSERT_EQ(good.memory->used, 400u * 1024);

    tree.write("proc/stat", "");
    tree.write("proc/meminfo", "garbage\n");
    tree.write("proc/net/dev", "");
    refreshAfter(1);
    EXPECT_EQ(monitor->snapshot().cpu->percent, good.cpu->percent);
    EXPECT_EQ(monitor->snapshot().memory->used, good.memory->used);
    EXPECT_EQ(monitor->snapshot().network->downloadBytesPerSecond, good.network->downloadBytesPerSecond);
    EXPECT_EQ(monitor->history().size(), 2);  // each refresh after the first adds a sample

    // The previous ticks were kept through the failure.
    tree.write("proc/stat", statLine(140, 1060));
    monitor->refresh();
    EXPECT_DOUBLE_EQ(monitor->snapshot().cpu->percent, 10);
}

// Counters that went back give nothing and are the next reading's baseline;
// a rate is taken over a millisecond at least.
TEST_F(LinuxSourceTest, CountersGoingBackwardsGiveZeroAndIntervalsHaveAMillisecondFloor)
{
    tree.write("proc/net/dev", netDev(10'000, 10'000));
    monitor->refresh();
    tree.write("proc/net/dev", netDev(100, 30'000));
    refreshAfter(2);
    EXPECT_EQ(monitor->snapshot().network->downloadBytesPerSecond, 0);
    EXPECT_DOUBLE_EQ(monitor->snapshot().network->uploadBytesPerSecond, 10'000);
    tree.write("proc/net/dev", netDev(600, 30'001));
    refreshAfter(0.0005);
    EXPECT_DOUBLE_EQ(monitor->snapshot().network->downloadBytesPerSecond, 500'000);  // measured from the new totals
    EXPECT_DOUBLE_EQ(monitor->snapshot().network->uploadBytesPerSecond, 1000);
}

// Only interfaces counted in both readings add to the rate, so a change of
// the counted set is no burst, and the other interfaces' traffic still counts.
TEST_F(LinuxSourceTest, NetworkRateAcrossAChangeOfTheCountedInterfaces)
{
    constexpr uint64_t GB = 1'000'000'000;
    const struct {
        const char* name;
        std::vector<Interface> before;
        std::vector<Interface> after;
        double download;
    } rows[] = {
        // Summed totals gave 0 (they went backwards), losing eth0's 1000 B.
        {"Wi-Fi radio off", {{"eth0", true, true, 5 * GB}, {"wlan0", true, true, 3 * GB}},
         {{"eth0", true, true, 5 * GB + 1000}, {"wlan0", false, true, 3 * GB}}, 1000},
        // Summed totals gave 9.5 GB/s: the tunnel's lifetime counter joined the sum.
        {"cable pulled, tunnels counted instead", {{"eth0", true, true, 1 * GB}, {"tun0", true, false, 21 * GB / 2}},
         {{"eth0", false, true, 1 * GB}, {"tun0", true, false, 21 * GB / 2 + 2000}}, 0},
        // Summed totals gave 52 GB/s.
        {"link back up with counters that grew", {{"eth0", true, true, 1 * GB}, {"wlan0", false, true, 2 * GB}},
         {{"eth0", true, true, 1 * GB + 500}, {"wlan0", true, true, 52 * GB}}, 500},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tree.remove("sys/class/net");
        writeInterfaces(row.before);
        const auto fresh = makeMonitor();
        fresh->refresh();
        writeInterfaces(row.after);
        scheduler.advance(1);
        fresh->refresh();
        EXPECT_DOUBLE_EQ(fresh->snapshot().network->downloadBytesPerSecond, row.download);
        EXPECT_DOUBLE_EQ(fresh->snapshot().network->uploadBytesPerSecond, row.download / 10);
    }
}

// The sensors are read in the background, each result joining the next
// second's reading; a machine without them is not even asked again for a minute.
TEST_F(LinuxSourceTest, SensorsJoinTheNextSecondAndCostNothingWhenAbsent)
{
    tree.write("proc/loadavg", "0.50 1.25 2.00 1/100 999\n");
    tree.write("proc/stat", statLine(0, 0) + "cpu0 0 0 0 0 0 0 0 0 0 0\n");
    monitor->refresh();
    runner.runAll();
    refreshAfter(1);
    EXPECT_EQ(runner.pendingCount(), 0);
    EXPECT_EQ(monitor->snapshot().loadAverage, (std::array<double, 3>{0.5, 1.25, 2}));
    EXPECT_EQ(monitor->snapshot().cpu->corePercents, QList<double>{0});

    tree.write("sys/class/hwmon/hwmon1/name", "coretemp\n");
    tree.write("sys/class/hwmon/hwmon1/temp1_input", "50000\n");
    tree.write("sys/class/hwmon/hwmon1/temp1_label", "Package id 0\n");
    refreshAfter(58);
    EXPECT_EQ(runner.pendingCount(), 0);
    refreshAfter(1);
    ASSERT_EQ(runner.pendingCount(), 1);
    runner.runAll();
    EXPECT_FALSE(cpuTemperatureOf(monitor->snapshot()));
    refreshAfter(1);
    EXPECT_EQ(cpuTemperatureOf(monitor->snapshot()), (CpuTemperature{50, std::nullopt}));
    EXPECT_EQ(monitor->snapshot().temperatures->size(), 1);
    EXPECT_EQ(runner.pendingCount(), 1);  // found: read every second from now on
}
