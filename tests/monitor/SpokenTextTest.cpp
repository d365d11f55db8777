#include "monitor/Formatters.h"
#include "monitor/ReadingTable.h"
#include "testsupport/Snapshots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace moravel;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Units in full, from the same scales as the short texts; a figure that is
// not a number is "not available", never "0 percent".
TEST(SpokenText, FiguresSayTheirUnitsInFull)
{
    const struct {
        QString spoken;
        const char* expected;
    } rows[] = {
        {MetricFormat::spokenPercent(23), "23 percent"},
        {MetricFormat::spokenPercent(37.8), "37 percent"},
        {MetricFormat::spokenPercent(nan), "not available"},
        {MetricFormat::spokenWhole(nan), "not available"},
        {MetricFormat::spokenSpeed(1'200'000), "1.2 megabytes a second"},
        {MetricFormat::spokenSpeed(1'000'000), "1 megabyte a second"},
        {MetricFormat::spokenSpeed(40'000), "40 kilobytes a second"},
        {MetricFormat::spokenSpeed(999), "999 bytes a second"},
        {MetricFormat::spokenSpeed(2'500'000'000), "2.5 gigabytes a second"},
        {MetricFormat::spokenSpeed(nan), "not available"},
        {MetricFormat::spokenWatts(65), "65 watts"},
        {MetricFormat::spokenWatts(7.5), "7.5 watts"},
        {MetricFormat::spokenWatts(0.05), "not available"},
        {MetricFormat::spokenWatts(std::nullopt), "not available"},
        {MetricFormat::spokenCelsius(52.4), "52 degrees Celsius"},
        {MetricFormat::spokenCelsius(nan), "not available"},
        {MetricFormat::spokenDuration(80), "1 hour 20 minutes"},
        {MetricFormat::spokenDuration(60), "1 hour"},
        {MetricFormat::spokenDuration(121), "2 hours 1 minute"},
        {MetricFormat::spokenDuration(0), "0 minutes"},
        {MetricFormat::spokenDuration(-5), "0 minutes"},
        {MetricFormat::spokenFigure(FigureUnit::watts, 0), "0 watts"},
        {MetricFormat::spokenFigure(FigureUnit::bytesPerSecond, 40'000), "40 kilobytes a second"},
        {MetricFormat::spokenFigure(FigureUnit::celsius, 71), "71 degrees Celsius"},
        {MetricFormat::spokenFigure(FigureUnit::percent, nan), "not available"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.spoken, QString::fromLatin1(row.expected));
}

// An amount of memory is said with the figure shown, in the binary units it
// is shown in (a decimal scale would say 1.6 for 1.5 GiB).
TEST(MetricFormat, MemoryIsSaidWithTheFigureShown)
{
    constexpr uint64_t gibi = 1ULL << 30;
    const struct {
        uint64_t bytes;
        const char* shown;
        const char* spoken;
    } rows[] = {
        {gibi * 3 / 2, "1.5 GiB", "1.5 gigabytes"},
        {gibi, "1.0 GiB", "1 gigabyte"},
        {gibi * 120, "120 GiB", "120 gigabytes"},
        {734ULL << 20, "734 MiB", "734 megabytes"},
        {gibi * 1536, "1.5 TiB", "1.5 terabytes"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MetricFormat::memory(row.bytes), QString::fromLatin1(row.shown));
        EXPECT_EQ(MetricFormat::spokenMemory(row.bytes), QString::fromLatin1(row.spoken));
    }
}

// What a screen reader says of each collapsed reading, from the reading table.
TEST(SpokenText, ReadingsAsAScreenReaderHearsThem)
{
    using fixtures::onAdapter;
    using fixtures::onBattery;
    SystemSnapshot network = fixtures::computerAtRest();
    network.network = NetworkReading{1'200'000, 40'000};
    SystemSnapshot charging = onAdapter(55, 30, 18, true);
    charging.power->battery->minutesRemaining = 80;
    SystemSnapshot draining = onBattery(40);
    draining.power->battery->minutesRemaining = 135;
    SystemSnapshot disk = fixtures::loads(10, 20, 54);
    disk.diskActivity = DiskActivityReading{1'200'000, 300'000};
    SystemSnapshot hot = fixtures::computerAtRest();
    hot.temperatures = QList<SensorReading>{{"coretemp", "Package id 0", 52, {}, {}, {}}};
    SystemSnapshot cpuMissing = fixtures::computerAtRest();
    cpuMissing.cpu->percent = nan;
    const struct {
        MetricKind kind;
        SystemSnapshot snapshot;
        const char* expected;
    } rows[] = {
        {MetricKind::network, network, "down 1.2 megabytes a second, up 40 kilobytes a second"},
        {MetricKind::power, charging, "battery 55 percent, charging, 1 hour 20 minutes to full"},
        {MetricKind::power, draining, "battery 40 percent, on battery, 2 hours 15 minutes left"},
        {MetricKind::power, onAdapter(100), "battery 100 percent, full"},
        {MetricKind::power, onAdapter(80), "battery 80 percent, not charging"},
        {MetricKind::power, fixtures::withoutBattery(65), "no battery"},
        {MetricKind::disk, disk, "54 percent, reading 1.2 megabytes a second, writing 300 kilobytes a second"},
        {MetricKind::temperature, hot, "52 degrees Celsius"},
        {MetricKind::temperature, fixtures::computerAtRest(), "not available"},
        {MetricKind::gpu, fixtures::computerAtRest(), "not available"},
        {MetricKind::cpu, cpuMissing, "not available"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(ReadingTable::spoken(row.kind, row.snapshot), QString::fromLatin1(row.expected));
    }
}

// The tabs' details as named values: swap on the Memory tab, each GPU on its own.
TEST(SpokenText, TabDetailsAreNamedValues)
{
    SystemSnapshot snapshot = fixtures::computerAtRest();
    constexpr uint64_t gibi = 1ULL << 30;
    snapshot.swap = SwapReading{gibi * 3 / 2, gibi * 8};
    snapshot.loadAverage = std::array<double, 3>{1.5, 0.75, 0.25};
    snapshot.gpus = QList<GpuReading>{{"Radeon RX 6600", 30, gibi, gibi * 8, 54},
                                      {"Intel UHD 630", {}, {}, {}, {}}};
    using Details = QList<SpokenDetail>;
    EXPECT_EQ(ReadingTable::spokenTabDetails(MetricKind::memory, snapshot),
              (Details{{"Swap", "1.5 gigabytes of 8 gigabytes"}}));
    EXPECT_EQ(ReadingTable::spokenTabDetails(MetricKind::cpu, snapshot),
              (Details{{"Load average", "1.50, 0.75, 0.25"}}));
    EXPECT_EQ(ReadingTable::spokenTabDetails(MetricKind::gpu, snapshot),
              (Details{{"Radeon RX 6600", "30 percent, memory 1 gigabyte of 8 gigabytes, 54 degrees Celsius"},
                       {"Intel UHD 630", "not available"}}));
    snapshot.swap = SwapReading{0, 0};
    EXPECT_TRUE(ReadingTable::spokenTabDetails(MetricKind::memory, snapshot).isEmpty());
}

}  // namespace
