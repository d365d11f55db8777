#include "monitor/Formatters.h"
#include "monitor/MetricSeries.h"
#include "monitor/PowerRules.h"
#include "monitor/ReadingTable.h"
#include "monitor/SnapshotJson.h"
#include "testsupport/FixtureTree.h"
#include "testsupport/Snapshots.h"

#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <limits>

using namespace moravel;

// Units are chosen before rounding, weak or invalid power reads as a dash.
TEST(MetricFormat, FormattingTable)
{
    const double infinity = std::numeric_limits<double>::infinity();
    const std::pair<QString, const char*> rows[] = {
        {MetricFormat::bytes(0), "0 MB"},                        {MetricFormat::bytes(999'999'999), "1000 MB"},
        {MetricFormat::bytes(1'000'000'000), "1.0 GB"},          {MetricFormat::bytes(99'960'000'000), "100.0 GB"},
        {MetricFormat::bytes(100'000'000'000), "100 GB"},        {MetricFormat::bytes(1'240'000'000'000), "1.2 TB"},
        {MetricFormat::speed(0), "0B"},                          {MetricFormat::speed(999.6), "1000B"},
        {MetricFormat::speed(1000), "1K"},                       {MetricFormat::speed(999'999), "1000K"},
        {MetricFormat::speed(1'000'000), "1.0M"},                {MetricFormat::speed(1'100'000'000), "1.1G"},
        {MetricFormat::power(0.05), "— W"},                      {MetricFormat::power(0.051), "0.1 W"},
        {MetricFormat::power(9.96), "10.0 W"},                   {MetricFormat::power(10), "10 W"},
        {MetricFormat::power(infinity), "— W"},                  {MetricFormat::power(std::nan("")), "— W"},
        {MetricFormat::power(std::nullopt), "— W"},              {MetricFormat::compactWatts(std::nullopt), "—"},
        {MetricFormat::compactWatts(12.4), "12W"},               {MetricFormat::compactWatts(7.5), "7.5W"},
        {MetricFormat::compactBattery(120, false), "100%"},      {MetricFormat::compactBattery(-5, false), "0%"},
        {MetricFormat::compactBattery(40, true), "Full"},        {BatterySymbol::name(62), "battery.50percent"},
        {BatterySymbol::name(88), "battery.100percent"},         {BatterySymbol::name(87), "battery.75percent"},
        {BatterySymbol::name(12), "battery.0percent"},           {BatterySymbol::name(13), "battery.25percent"},
        {MetricFormat::compactBattery(std::nullopt, false), "—"}, {BatterySymbol::name(std::nullopt), "battery.unknown"},
    };
    for (const auto& [actual, expected] : rows)
        EXPECT_EQ(actual, QString::fromUtf8(expected));
}

TEST(MetricFormat, AGermanLocaleKeepsThePeriod)
{
    fixtures::GermanNumericLocale german;
    if (!german.isActive())
        GTEST_SKIP() << "no German locale could be made on this machine";
    EXPECT_EQ(MetricFormat::bytes(1'500'000'000), "1.5 GB");
    EXPECT_EQ(MetricFormat::fixed(0.5, 2), "0.50");
}

TEST(ReadingTable, LevelsAreInclusiveAndJudgedOnTheUnroundedValue)
{
    const struct {
        MetricKind kind;
        double value;
        Level expected;
    } rows[] = {
        {MetricKind::cpu, 69.9, Level::normal},       {MetricKind::cpu, 70, Level::elevated},
        {MetricKind::cpu, 84.9, Level::elevated},     {MetricKind::cpu, 85, Level::high},
        {MetricKind::memory, 84.9, Level::elevated},  {MetricKind::memory, 85, Level::high},
        {MetricKind::memory, 92.9, Level::high},      {MetricKind::memory, 93, Level::critical},
        {MetricKind::swap, 49.9, Level::normal}, {MetricKind::swap, 90, Level::critical},
        {MetricKind::cpu, NAN, Level::normal},   {MetricKind::network, 1e12, Level::normal},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << ReadingTable::of(row.kind).key << ' ' << row.value);
        EXPECT_EQ(ReadingTable::level(row.kind, row.value), row.expected);
    }
}

TEST(ReadingTable, SwapIsADetailOfTheMemoryTabOnlyWhereThereIsSwap)
{
    SystemSnapshot snapshot;
    snapshot.swap = SwapReading{};
    EXPECT_TRUE(ReadingTable::tabDetails(MetricKind::memory, snapshot).isEmpty());
    EXPECT_EQ(ReadingTable::valueText(MetricKind::swap, snapshot), QStringLiteral("—"));
    EXPECT_EQ(ReadingTable::spoken(MetricKind::swap, snapshot), QStringLiteral("no swap"));
    snapshot.swap = SwapReading{1'500'000'000, 8'000'000'000};
    EXPECT_EQ(ReadingTable::tabDetails(MetricKind::memory, snapshot), QStringList{"Swap 1.4 GiB of 7.5 GiB"});
    EXPECT_TRUE(ReadingTable::tabDetails(MetricKind::cpu, snapshot).isEmpty());
    EXPECT_EQ(ReadingTable::valueText(MetricKind::swap, snapshot), QStringLiteral("19%"));
}

// What --json prints of the newer readings: measured, not on this machine,
// and not had by the source (every field of an absent slice null).
TEST(SnapshotJson, NewerReadingsAndTheirNulls)
{
    SystemSnapshot measured = fixtures::computerAtRest();
    measured.cpu->corePercents = {12.5, 100};
    measured.loadAverage = std::array<double, 3>{1.5, 0.75, 0.25};
    measured.diskActivity = DiskActivityReading{4096, 512};
    measured.temperatures = QList<SensorReading>{{"coretemp", "Package id 0", 52, 100, 80},
                                                      {"nvme", "temp1", 38.85, {}, {}}};
    measured.gpus = QList<GpuReading>{{"Radeon RX 6600", 30, 1'000'000, 8'000'000, 54},
                                      {"Intel UHD 630", {}, {}, {}, {}}};
    const SystemSnapshot bare = fixtures::computerAtRest();  // no sensor, no GPU, no load average
    const QDateTime time = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    const struct {
        const char* name;
        QByteArray line;
        QList<QByteArray> contains;
    } rows[] = {
        {"measured", snapshotJsonLine(measured, time),
         {R"("cpuPercent":0,"cpuCorePercents":[12.5,100],"loadAverage":[1.5,0.75,0.25],"memoryPercent")",
          R"("diskTotal":0,"diskAvailable":0,"diskReadBytesPerSecond":4096,"diskWriteBytesPerSecond":512,"hasBattery")",
          R"("swapPercent":null,"cpuTemperatureCelsius":52,"temperatures":[{"chip":"coretemp",)"
          R"("label":"Package id 0","celsius":52},{"chip":"nvme","label":"temp1","celsius":38.85}],)",
          R"("gpus":[{"name":"Radeon RX 6600","busyPercent":30,"memoryUsed":1000000,"memoryTotal":8000000,)"
          R"("temperatureCelsius":54},{"name":"Intel UHD 630","busyPercent":null,"memoryUsed":null,)"
          R"("memoryTotal":null,"temperatureCelsius":null}],"fanRpm":null,"fans":[],"voltages":[],"machines":null,)"
          R"("topProcesses":[]})"}},
        {"a battery whose level no figure tells", snapshotJsonLine(fixtures::onBattery(std::nullopt), time),
         {R"("hasBattery":true,"batteryPercent":null,"isCharging":false,)"}},
        {"not on this machine", snapshotJsonLine(bare, time),
         {R"("cpuCorePercents":[],"loadAverage":null,)",
          R"("cpuTemperatureCelsius":null,"temperatures":[],"gpus":[],"fanRpm":null,"fans":[],"voltages":[],)"
          R"("machines":null,"topProcesses":[]})"}},
        {"not had by the source", snapshotJsonLine(SystemSnapshot{}, time, "https://h/\"m\""),
         {R"({"time":"1970-01-01T00:00:00.000Z","cpuPercent":null,"cpuCorePercents":null,"loadAverage":null,)"
          R"("memoryPercent":null,"memoryUsed":null,"memoryTotal":null,"downloadBytesPerSecond":null,)",
          R"("diskReadBytesPerSecond":null,"diskWriteBytesPerSecond":null,"hasBattery":null,)",
          R"("adapterCurrent":null,"swapUsed":null,"swapTotal":null,"swapPercent":null,)"
          R"("cpuTemperatureCelsius":null,"temperatures":null,"gpus":null,"fanRpm":null,"fans":null,)"
          R"("voltages":null,"machines":null,"topProcesses":null,)"
          R"("source":"https://h/\"m\""})"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (const QByteArray& part : row.contains)
            EXPECT_TRUE(row.line.contains(part)) << row.line.toStdString() << "\nlacks\n" << part.toStdString();
    }
}

// What another machine does not publish reads as absent, never as zero.
TEST(ReadingTable, AbsentReadingsShowADash)
{
    SystemSnapshot snapshot;
    snapshot.cpu = CpuReading{12};
    for (const auto& [kind, text, spoken] :
         {std::tuple{MetricKind::memory, "—", "not available"}, {MetricKind::network, "—", "not available"},
          {MetricKind::cpu, "12%", "12 percent"}}) {
        EXPECT_EQ(ReadingTable::valueText(kind, snapshot), QString::fromUtf8(text));
        EXPECT_EQ(ReadingTable::spoken(kind, snapshot), QString::fromUtf8(spoken));
        EXPECT_EQ(std::isnan(ReadingTable::value(kind, snapshot)), kind != MetricKind::cpu);
    }
    EXPECT_EQ(ReadingTable::spoken(MetricKind::power, fixtures::onBattery(std::nullopt)),
              QStringLiteral("battery level unknown"));
}

// What a source does not publish leaves a gap in its series, not a line at
// zero. A desktop whose power supply tells nothing has no power figure: no
// Power tab, and its power series are missing, not 0 W. A laptop's battery
// gives both, and so does an adapter that tells its input.
TEST(ReadingTable, NoPowerFigureNoPowerTabAndNoPowerSeries)
{
    SystemSnapshot sparse;
    sparse.cpu = CpuReading{40};
    sparse.network = NetworkReading{};
    const MetricSample gaps = sampleOf(sparse, QDateTime::fromSecsSinceEpoch(0));
    EXPECT_DOUBLE_EQ(gaps[Series::cpu], 40);
    EXPECT_DOUBLE_EQ(gaps[Series::download], 0);
    for (const Series absent : {Series::memory, Series::systemPower, Series::batteryPower, Series::diskRead,
                                Series::diskWrite, Series::cpuTemperature, Series::gpuBusy})
        EXPECT_TRUE(std::isnan(gaps[absent])) << static_cast<int>(absent);

    const SystemSnapshot desktop = fixtures::computerAtRest();
    EXPECT_FALSE(ReadingTable::availableTabs(desktop).contains(MetricKind::power));
    const MetricSample sample = sampleOf(desktop, QDateTime::fromSecsSinceEpoch(0));
    EXPECT_TRUE(std::isnan(sample[Series::systemPower]));
    EXPECT_TRUE(std::isnan(sample[Series::batteryPower]));

    const SystemSnapshot laptop = fixtures::onBattery(50, 7.5);
    EXPECT_TRUE(ReadingTable::availableTabs(laptop).contains(MetricKind::power));
    EXPECT_EQ(sampleOf(laptop, QDateTime::fromSecsSinceEpoch(0))[Series::systemPower], 7.5);
    SystemSnapshot adapter = fixtures::withoutBattery(40);
    adapter.power->adapter = AdapterReading{.volts = 19.5};
    EXPECT_TRUE(ReadingTable::availableTabs(adapter).contains(MetricKind::power));
}

// The battery amber at 20 % and red at 10 %.
TEST(MetricFormat, BatteryLevels)
{
    const struct {
        int64_t percent;
        Level level;
    } rows[] = {{6, Level::critical}, {10, Level::critical}, {11, Level::high},
                {20, Level::high},    {21, Level::normal},   {100, Level::normal}};
    for (const auto& row : rows)
        EXPECT_EQ(batteryLevel(row.percent), row.level) << row.percent;
}

// The fan reading is the fastest fan cooling the processor or the computer;
// a stopped one reads 0, a graphics card's does not count.
TEST(ReadingTable, TheFanReadingIsTheFastestOfTheComputersFans)
{
    SystemSnapshot snapshot;
    EXPECT_EQ(ReadingTable::spoken(MetricKind::fan, snapshot), QStringLiteral("not available"));
    const auto fans = [](QList<SensorReading> fans) {
        SystemSnapshot s;
        s.fans = std::move(fans);
        return s;
    };
    const struct {
        const char* name;
        SystemSnapshot snapshot;
        const char* text;
        const char* spoken;
        const char* json;
    } rows[] = {
        {"none", fans({}), "—", "not available", R"("fanRpm":null,"fans":[])"},
        {"a graphics card's only", fans({{"amdgpu", "fan1", 3000}}), "—", "not available",
         R"("fanRpm":null,"fans":[{"chip":"amdgpu","label":"fan1","rpm":3000}])"},
        {"stopped", fans({{"thinkpad", "fan1", 0}}), "0", "0 rpm", R"("fanRpm":0,)"},
        {"fastest of the computer's",
         fans({{"nct6798", "CPU Fan", 1250}, {"amdgpu", "fan1", 3000}, {"nct6798", "SYS_FAN2", 1480.4}}), "1480",
         "1480 rpm", R"("fanRpm":1480.4,)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ReadingTable::valueText(MetricKind::fan, row.snapshot), QString::fromUtf8(row.text));
        EXPECT_EQ(ReadingTable::spoken(MetricKind::fan, row.snapshot), QString::fromUtf8(row.spoken));
        EXPECT_TRUE(snapshotJsonLine(row.snapshot, {}).contains(row.json)) << snapshotJsonLine(row.snapshot, {}).data();
    }
}
