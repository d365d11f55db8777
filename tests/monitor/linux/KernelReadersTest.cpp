#include "monitor/linux/CpuReader.h"
#include "monitor/linux/DiskIoReader.h"
#include "monitor/linux/DiskReader.h"
#include "monitor/linux/LoadAverageReader.h"
#include "monitor/linux/MemoryReader.h"
#include "monitor/linux/NetworkCounters.h"
#include "testsupport/FixtureTree.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace moravel;

TEST(ProcStat, CountsIrqSoftirqAndStealAsSystemAndIowaitAsIdle)
{
    // user nice system idle iowait irq softirq steal guest guest_nice
    const auto ticks = parseProcStat("cpu  100 20 30 400 50 6 7 8 90 10\ncpu0 1 2 3 4 5 6 7 8 9 10\n");
    ASSERT_TRUE(ticks);
    EXPECT_EQ(ticks->used, 100u + 20 + 30 + 6 + 7 + 8);  // guest is already inside user and nice
    EXPECT_EQ(ticks->total, ticks->used + 400 + 50);
    for (const char* bad : {"", "cpu  1 2 x 4 5 6 7 8 9\n", "cpu  18446744073709551615 1 0 0 0 0 0 0 0\n"})
        EXPECT_FALSE(parseProcStat(bad)) << bad;

    // The busy share between two readings stays within 0 and 100.
    EXPECT_EQ(cpuPercentBetween(std::nullopt, {50, 100}), 0);
    const struct {
        const char* name;
        CpuTicks current;
        double percent;
    } rows[] = {
        // From 50 busy of 100 ticks.
        {"busy share of the new ticks", {80, 200}, 30},
        {"total did not grow", {60, 100}, 0},
        {"idle (iowait) went back", {90, 110}, 0},  // was 400 %
        {"busy went back", {40, 150}, 0},            // was -20 %
    };
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(cpuPercentBetween(CpuTicks{50, 100}, row.current), row.percent) << row.name;
}

// Used memory is the total less what is available, capped at the total;
// nothing when the total is missing or garbled. Swap in use is its total
// less what is free; none without swap.
TEST(Meminfo, UsedIsTotalLessAvailableAndSwapTotalLessFree)
{
    const std::string memory = "MemTotal: 1000 kB\nMemAvailable: 500 kB\n";
    const struct {
        std::string text;
        std::optional<uint64_t> usedKb;
        uint64_t swapUsedKb;
        uint64_t swapTotalKb;
    } rows[] = {
        {"MemTotal:       1000 kB\nMemFree:  100 kB\nMemAvailable:   250 kB\n", 750, 0, 0},
        // Old kernels: available estimated from free and caches, less shared memory.
        {"MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 200 kB\nSReclaimable: 50 kB\nShmem: 100 kB\n",
         700, 0, 0},
        {"MemTotal: 1000 kB\nMemFree: 0 kB\nShmem: 5000 kB\n", 1000, 0, 0},
        {"MemFree: 10 kB\nMemAvailable: 20 kB\n", std::nullopt, 0, 0},
        {memory + "SwapTotal: 8000 kB\nSwapFree: 6000 kB\n", 500, 2000, 8000},
        {memory + "SwapTotal: 8000 kB\n", 500, 0, 8000},  // no SwapFree: nothing known to be used
        {memory + "SwapTotal: 100 kB\nSwapFree: 900 kB\n", 500, 0, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        fixtures::FixtureTree tree;
        tree.write("proc/meminfo", row.text);
        const SnapshotUpdate update = MemoryReader(tree.procRoot().toStdString()).read();
        ASSERT_EQ(static_cast<bool>(update), row.usedKb.has_value());
        if (!update)
            continue;
        SystemSnapshot snapshot;
        update(snapshot);
        EXPECT_EQ(snapshot.memory->total, 1000u * 1024);
        EXPECT_EQ(snapshot.memory->used, *row.usedKb * 1024);
        EXPECT_DOUBLE_EQ(snapshot.memory->percent, *row.usedKb / 10.0);
        EXPECT_EQ(snapshot.swap->used, row.swapUsedKb * 1024);
        EXPECT_EQ(snapshot.swap->total, row.swapTotalKb * 1024);
    }
}

// Up interfaces backed by a device count, else every up one; loopback never.
// Counters are full 64-bit; a broken line is left out.
TEST(NetworkCounters, CountUpInterfacesPreferringDevicesAndFollowThemAsTheyComeAndGo)
{
    using Counted = std::vector<DeviceCounters>;
    fixtures::FixtureTree tree;
    const auto netDev = [](const std::string& rows) {
        return "h\nh\n    lo: 9 0 0 0 0 0 0 0 9 0 0 0 0 0 0 0\nbroken: 1 2 3\n" + rows;
    };
    tree.write("sys/class/net/lo/flags", "0x9\n");
    tree.write("proc/net/dev", netDev("  eth0:18446744073709551615 0 0 0 0 0 0 0 10 0 0 0 0 0 0 0\n"));
    tree.write("sys/class/net/eth0/flags", "0x1003\n");
    tree.makeDirectory("sys/class/net/eth0/device");
    NetworkCounters counters(tree.procRoot().toStdString(), tree.sysRoot().toStdString());
    EXPECT_EQ(counters.read(), (Counted{{"eth0", 18446744073709551615ull, 10}}));

    // The interface goes down.
    tree.write("sys/class/net/eth0/flags", "0x1002\n");
    EXPECT_EQ(counters.read(), Counted{});

    // It is replaced by a new interface of the same name without a device, next to a device-backed one,
    // which alone counts while it is there.
    tree.remove("sys/class/net/eth0");
    tree.write("sys/class/net/eth0/flags", "0x1003\n");
    tree.write("sys/class/net/wlan0/flags", "0x1003\n");
    tree.makeDirectory("sys/class/net/wlan0/device");
    tree.write("proc/net/dev", netDev(" wlan0: 7 0 0 0 0 0 0 0 3 0 0 0 0 0 0 0\n"));
    EXPECT_EQ(counters.read(), (Counted{{"wlan0", 7, 3}}));
    tree.remove("sys/class/net/wlan0");
    tree.write("proc/net/dev", netDev("  eth0: 5 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n"));
    EXPECT_EQ(counters.read(), (Counted{{"eth0", 5, 1}}));
    tree.write("proc/net/dev", "h\nh\n");
    EXPECT_FALSE(counters.read());
}

TEST(NetworkCounters, KeepNoFileOpenPerInterface)
{
    fixtures::FixtureTree tree;
    std::string rows = "h\nh\n";
    for (int i = 0; i < 50; ++i) {
        const std::string name = "veth" + std::to_string(i);
        rows += name + ": 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n";
        tree.write(QString::fromStdString("sys/class/net/" + name + "/flags"), "0x1003\n");
    }
    tree.write("proc/net/dev", rows);
    const auto openFiles = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
    const auto before = openFiles();
    NetworkCounters counters(tree.procRoot().toStdString(), tree.sysRoot().toStdString());
    EXPECT_EQ(counters.read()->size(), 50u);
    EXPECT_LE(openFiles(), before + 1);  // the interface list alone
}

namespace {
std::string cpuLine(const std::string& name, uint64_t used, uint64_t idle)
{
    return name + " " + std::to_string(used) + " 0 0 " + std::to_string(idle) + " 0 0 0 0 0 0\n";
}
}  // namespace

TEST(ProcStat, CoreLinesInOrderOrNothingWhenAnyIsGarbled)
{
    const std::string total = cpuLine("cpu ", 10, 10);
    const struct {
        const char* name;
        std::string text;
        std::vector<CoreTicks> cores;  // empty: nothing
    } rows[] = {
        {"an offline core has no line",
         total + cpuLine("cpu0", 1, 2) + cpuLine("cpu2", 3, 4) + "intr 1 2 3\ncpu9 garbage after the cores\n",
         {{0, {1, 3}}, {2, {3, 7}}}},
        {"out of order", total + cpuLine("cpu1", 1, 2) + cpuLine("cpu0", 1, 2), {}},
        {"no core lines", total + "intr 5\n", {}},
    };
    for (const auto& row : rows) {
        std::vector<CoreTicks> cores;
        const bool parsed = parseCoreTicks(row.text, cores);
        EXPECT_EQ(parsed, !row.cores.empty()) << row.name;
        EXPECT_EQ(parsed ? cores : std::vector<CoreTicks>{}, row.cores) << row.name;
    }
}

// Each core follows the total's rules on its own, matched by core number.
TEST(CpuReader, PerCoreSharesFromOneReadOfTheFile)
{
    moravel::fixtures::FixtureTree tree;
    CpuReader reader(tree.procRoot().toStdString());
    SystemSnapshot snapshot;
    const auto readStat = [&](const std::string& text) {
        tree.write("proc/stat", text);
        if (const SnapshotUpdate update = reader.read())
            update(snapshot);
        return snapshot.cpu ? snapshot.cpu->corePercents : QList<double>{-1};
    };
    // The first reading is a baseline: no load yet, not a load of 0 %.
    EXPECT_EQ(readStat(cpuLine("cpu ", 150, 150) + cpuLine("cpu0", 50, 50) + cpuLine("cpu1", 100, 100)),
              QList<double>{-1});
    // cpu1 went back; cpu3 came online.
    EXPECT_EQ(readStat(cpuLine("cpu ", 225, 225) + cpuLine("cpu0", 80, 120) + cpuLine("cpu1", 90, 90)
                       + cpuLine("cpu3", 55, 15)),
              (QList<double>{30, 0, 0}));
    // A garbled core line keeps the shares and baselines, not the total.
    EXPECT_EQ(readStat(cpuLine("cpu ", 275, 275) + cpuLine("cpu0", 80, 120) + "cpu1 x\n"), (QList<double>{30, 0, 0}));
    EXPECT_DOUBLE_EQ(snapshot.cpu->percent, 50);
    EXPECT_EQ(readStat(cpuLine("cpu ", 300, 300) + cpuLine("cpu0", 80, 220) + cpuLine("cpu1", 150, 110)
                       + cpuLine("cpu3", 65, 25)),
              (QList<double>{0, 75, 50}));
    // cpu2 back on line between others has no earlier ticks of its own: not its neighbour's either.
    EXPECT_EQ(corePercentsBetween({{0, {10, 20}}, {3, {50, 100}}}, {{0, {15, 30}}, {2, {60, 110}}, {3, {55, 110}}}),
              (QList<double>{50, 0, 50}));
}

TEST(LoadAverage, ThreePlainFiguresOrNothing)
{
    EXPECT_EQ(parseLoadAverage("0.52 10.58 1.00 1/467 12345\n"), (std::array<double, 3>{0.52, 10.58, 1.0}));
    for (const char* bad : {"", "0.52 0.58\n", "0,52 0,58 0,59 1/4 5\n", "0.52 0.58 high\n"})
        EXPECT_FALSE(parseLoadAverage(bad)) << bad;
}

namespace {
std::string diskLine(const std::string& name, uint64_t sectorsRead, uint64_t sectorsWritten)
{
    return "   8       0 " + name + " 10 0 " + std::to_string(sectorsRead) + " 5 20 0 "
           + std::to_string(sectorsWritten) + " 7 0 9 12 0 0 0 0 0 0\n";
}
}  // namespace

// Whole physical disks have a `device` entry in <sys>/block; partitions are
// not listed there, and loop, dm, md and zram devices have none.
TEST(DiskIoReader, CountsWholePhysicalDisksDiskByDisk)
{
    moravel::fixtures::FixtureTree tree;
    for (const char* disk : {"sda", "nvme0n1", "cciss!c0d0"})
        tree.makeDirectory(QStringLiteral("sys/block/%1/device").arg(QLatin1String(disk)));
    for (const char* other : {"loop0", "dm-0", "zram0"})
        tree.makeDirectory(QStringLiteral("sys/block/%1").arg(QLatin1String(other)));
    DiskIoReader reader(tree.procRoot().toStdString(), tree.sysRoot().toStdString());
    SystemSnapshot snapshot;
    const auto readAt = [&](double seconds, const std::string& text) {
        tree.write("proc/diskstats", text);
        if (const SnapshotUpdate update = reader.read(seconds))
            update(snapshot);
        return std::pair(snapshot.diskActivity->readBytesPerSecond, snapshot.diskActivity->writeBytesPerSecond);
    };
    const std::string others = diskLine("sda1", 900, 900) + diskLine("loop0", 900, 900) + diskLine("dm-0", 900, 900)
                               + diskLine("zram0", 900, 900) + "   8 0 sdz 1 2\n";
    EXPECT_EQ(readAt(10, diskLine("sda", 100, 1000) + diskLine("nvme0n1", 0, 0) + others), std::pair(0.0, 0.0));
    EXPECT_FALSE(reader.isMeasured());
    EXPECT_EQ(readAt(12, diskLine("sda", 104, 1002) + diskLine("nvme0n1", 4, 0) + diskLine("cciss/c0d0", 1, 1)
                             + others),
              std::pair(4.0 * 512, 1.0 * 512));  // 8 sectors read and 2 written in 2 s; cciss only just appeared
    EXPECT_TRUE(reader.isMeasured());
    // sda's counters went back (the disk was replaced) and the NVMe drive left: only cciss counts.
    EXPECT_EQ(readAt(13, diskLine("sda", 50, 50) + diskLine("cciss/c0d0", 3, 11) + others),
              std::pair(2.0 * 512, 10.0 * 512));
    EXPECT_FALSE(DiskIoReader(tree.root().toStdString() + "/none", tree.sysRoot().toStdString()).read(14));
}

// Used is the size less the free space, and the share in use is used over
// used and available, as df's Use%: the blocks reserved for root are neither
// in use nor room.
TEST(DiskReader, UseAsDfTellsItAndAnUnknownVolumeGivesNothing)
{
    constexpr uint64_t most = UINT64_MAX;
    const struct {
        uint64_t total, free, available;
        DiskReading expected;
    } rows[] = {
        {1000, 300, 250, {700.0 / 950 * 100, 700, 1000, 250}},  // 50 reserved for root
        {1000, 250, 250, {75, 750, 1000, 250}},
        {1000, 1500, 1500, {0, 0, 1000, 1500}},  // free above the size: nothing in use
        {0, 0, 0, {0, 0, 0, 0}},                 // never a NaN
        {most, 0, most, {50, most, most, most}},  // another machine's figures may add up past 64 bits
    };
    for (const auto& row : rows)
        EXPECT_EQ(diskReadingFrom(row.total, row.free, row.available), row.expected) << row.total << " " << row.free;
    EXPECT_EQ(readDiskUsage("/no/such/volume/here"), std::nullopt);
}

// This computer's root volume, side by side with df.
TEST(DiskReader, TheRootVolumeAsDfShowsIt)
{
    QProcess df;
    df.start(QStringLiteral("df"), {QStringLiteral("-B1"), QStringLiteral("--output=size,used,avail,pcent"),
                                    QStringLiteral("/")});
    ASSERT_TRUE(df.waitForFinished(10'000) && df.exitCode() == 0) << df.errorString().toStdString();
    const QList<QByteArray> figures = df.readAllStandardOutput().split('\n').value(1).simplified().split(' ');
    ASSERT_EQ(figures.size(), 4) << figures.join(' ').toStdString();
    const std::optional<DiskReading> disk = readDiskUsage("/");
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->total, figures[0].toULongLong());
    // Others may write meanwhile: a thousandth of the volume either way.
    const double slack = static_cast<double>(disk->total) / 1000;
    EXPECT_NEAR(static_cast<double>(disk->used), figures[1].toDouble(), slack);
    EXPECT_NEAR(static_cast<double>(disk->available), figures[2].toDouble(), slack);
    // df rounds its share up to a whole percent.
    const double shown = figures[3].chopped(1).toDouble();
    EXPECT_GT(disk->percent, shown - 1.1);
    EXPECT_LE(disk->percent, shown + 0.1);
}
