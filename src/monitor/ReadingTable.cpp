#include "monitor/ReadingTable.h"

#include "monitor/Formatters.h"
#include "monitor/JsonWriter.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

QString percentText(double percent)
{
    if (!std::isfinite(percent))
        return QStringLiteral("—");
    return MetricFormat::fixed(percent, 0) + QLatin1Char('%');
}

// Screen readers get whole numbers cut towards zero (37.8 is "37"); a value
// that is not a number must not reach the integer conversion.
QString wholePercent(double percent)
{
    if (!std::isfinite(percent))
        return QStringLiteral("0");
    const double bounded = std::clamp(std::trunc(percent), -1e15, 1e15);
    return QString::number(static_cast<qint64>(bounded));
}

QString networkText(const SystemSnapshot& s)
{
    return QStringLiteral("↓") + MetricFormat::speed(s.downloadBytesPerSecond) + QStringLiteral("  ↑")
           + MetricFormat::speed(s.uploadBytesPerSecond);
}

QString networkSpoken(const SystemSnapshot& s)
{
    return QStringLiteral("Download ") + MetricFormat::speed(s.downloadBytesPerSecond) + QStringLiteral(", upload ")
           + MetricFormat::speed(s.uploadBytesPerSecond);
}

QString powerSpoken(const SystemSnapshot& s)
{
    if (!s.hasBattery)
        return QStringLiteral("No battery");
    return QStringLiteral("Battery ") + QString::number(s.batteryPercent) + QStringLiteral(" percent");
}

// Without a battery the chart shows what the power supply delivers.
QString systemPowerLegend(const SystemSnapshot& s)
{
    if (!s.hasBattery)
        return QStringLiteral("Input");
    return s.isExternalPowerConnected ? QStringLiteral("System") : QStringLiteral("Draw");
}

double swapPercent(const SystemSnapshot& s)
{
    return s.swapTotal > 0 ? static_cast<double>(s.swapUsed) / static_cast<double>(s.swapTotal) * 100.0 : NAN;
}

QString swapDetail(const SystemSnapshot& s)
{
    if (s.swapTotal == 0)
        return {};
    return QStringLiteral("Swap ") + MetricFormat::bytes(s.swapUsed) + QStringLiteral(" of ")
           + MetricFormat::bytes(s.swapTotal);
}

QString swapSpoken(const SystemSnapshot& s)
{
    if (s.swapTotal == 0)
        return QStringLiteral("No swap");
    return QStringLiteral("Swap ") + QString::number(static_cast<qint64>(swapPercent(s))) + QStringLiteral(" percent");
}

void writeSwap(JsonWriter& w, const SystemSnapshot& s)
{
    w.unsignedInteger("swapUsed", s.swapUsed);
    w.unsignedInteger("swapTotal", s.swapTotal);
    w.number("swapPercent", swapPercent(s));
}

void writeCpu(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("cpuPercent", s.cpuPercent);
}

void writeMemory(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("memoryPercent", s.memoryPercent);
    w.unsignedInteger("memoryUsed", s.memoryUsed);
    w.unsignedInteger("memoryTotal", s.memoryTotal);
}

void writeNetwork(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("downloadBytesPerSecond", s.downloadBytesPerSecond);
    w.number("uploadBytesPerSecond", s.uploadBytesPerSecond);
}

void writeDisk(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("diskPercent", s.diskPercent);
    w.unsignedInteger("diskUsed", s.diskUsed);
    w.unsignedInteger("diskTotal", s.diskTotal);
}

void writePower(JsonWriter& w, const SystemSnapshot& s)
{
    w.boolean("hasBattery", s.hasBattery);
    w.integer("batteryPercent", s.batteryPercent);
    w.boolean("isCharging", s.isCharging);
    w.boolean("isExternalPowerConnected", s.isExternalPowerConnected);
    w.boolean("isFullyCharged", s.isFullyCharged);
    w.integer("minutesRemaining", s.minutesRemaining ? std::optional<long long>(*s.minutesRemaining) : std::nullopt);
    w.number("batteryPowerWatts", s.batteryPowerWatts);
    w.number("systemInputWatts", s.systemInputWatts);
    w.number("displayPowerWatts", s.displayPowerWatts);
    w.integer("adapterWatts", s.adapterWatts);
    w.number("adapterVoltage", s.adapterVoltage);
    w.number("adapterCurrent", s.adapterCurrent);
}

const ChartLine cpuLine{Series::cpu, Tone::mint, false, 1, "CPU"};
const ChartLine memoryLine{Series::memory, Tone::cyan, false, 1, "Memory"};

std::array<ReadingDescriptor, metricKindCount> makeTable()
{
    std::array<ReadingDescriptor, metricKindCount> table{{
        {MetricKind::overview, "overview", "Overview", "Overview", "waveform.path.ecg"},
        {MetricKind::cpu, "cpu", "CPU", "CPU", "cpu"},
        {MetricKind::memory, "memory", "Memory", "MEM", "memorychip"},
        {MetricKind::network, "network", "Network", "Network", "wifi"},
        {MetricKind::disk, "disk", "Disk", "Disk", "internaldrive"},
        {MetricKind::power, "power", "Power", "Power", "bolt.fill"},
        {MetricKind::swap, "swap", "Swap", "SWAP", "swap"},
    }};
    auto& overview = table[static_cast<size_t>(MetricKind::overview)];
    ChartLine dashedMemory = memoryLine;
    dashedMemory.dashed = true;
    overview.tab = TabSpec{{cpuLine, dashedMemory}};

    auto& cpu = table[static_cast<size_t>(MetricKind::cpu)];
    cpu.thresholds = LevelThresholds{70, 85, 95};
    cpu.percent = [](const SystemSnapshot& s) { return s.cpuPercent; };
    cpu.collapsed = CollapsedSpec{48, CollapsedStyle::load, true};
    cpu.tab = TabSpec{{cpuLine}};
    cpu.group = ReadingGroup::cpu;
    cpu.writeJson = writeCpu;

    auto& memory = table[static_cast<size_t>(MetricKind::memory)];
    memory.thresholds = LevelThresholds{75, 85, 93};
    memory.percent = [](const SystemSnapshot& s) { return s.memoryPercent; };
    memory.collapsed = CollapsedSpec{48, CollapsedStyle::load, true};
    memory.tab = TabSpec{{memoryLine}};
    memory.group = ReadingGroup::memory;
    memory.writeJson = writeMemory;

    auto& network = table[static_cast<size_t>(MetricKind::network)];
    network.tone = Tone::cyan;
    network.valueText = networkText;
    network.spoken = networkSpoken;
    network.collapsed = CollapsedSpec{90, CollapsedStyle::network, true};
    network.tab = TabSpec{{{Series::download, Tone::cyan, false, 1000, "Download"},
                           {Series::upload, Tone::mint, false, 1000, "Upload"}},
                          false, 10, "K"};
    network.group = ReadingGroup::network;
    network.writeJson = writeNetwork;

    auto& disk = table[static_cast<size_t>(MetricKind::disk)];
    disk.percent = [](const SystemSnapshot& s) { return s.diskPercent; };
    disk.group = ReadingGroup::disk;
    disk.writeJson = writeDisk;

    auto& power = table[static_cast<size_t>(MetricKind::power)];
    power.spoken = powerSpoken;
    power.collapsed = CollapsedSpec{94, CollapsedStyle::power, true};
    power.tab = TabSpec{{{Series::systemPower, Tone::cyan, false, 1, "", systemPowerLegend},
                         {Series::batteryPower, Tone::mint, true, 1, "Charging", nullptr, true}},
                        false, 20, "W"};
    power.group = ReadingGroup::power;
    power.writeJson = writePower;

    auto& swap = table[static_cast<size_t>(MetricKind::swap)];
    swap.thresholds = LevelThresholds{50, 75, 90};
    swap.percent = swapPercent;
    swap.spoken = swapSpoken;
    swap.collapsed = CollapsedSpec{48, CollapsedStyle::load, false};
    swap.detailTab = MetricKind::memory;
    swap.detail = swapDetail;
    swap.group = ReadingGroup::swap;
    swap.writeJson = writeSwap;
    return table;
}

QList<MetricKind> kindsWhere(bool (*has)(const ReadingDescriptor&))
{
    QList<MetricKind> kinds;
    for (const ReadingDescriptor& reading : ReadingTable::all()) {
        if (has(reading))
            kinds.append(reading.kind);
    }
    return kinds;
}

}  // namespace

Level levelFor(double value, const LevelThresholds& thresholds)
{
    if (value >= thresholds.critical)
        return Level::critical;
    if (value >= thresholds.high)
        return Level::high;
    if (value >= thresholds.elevated)
        return Level::elevated;
    return Level::normal;
}

namespace ReadingTable {

const std::array<ReadingDescriptor, metricKindCount>& all()
{
    static const std::array<ReadingDescriptor, metricKindCount> table = makeTable();
    return table;
}

const ReadingDescriptor& of(MetricKind kind)
{
    return all()[static_cast<size_t>(kind)];
}

const QList<MetricKind>& tabs()
{
    static const QList<MetricKind> kinds = kindsWhere([](const ReadingDescriptor& r) { return r.tab.has_value(); });
    return kinds;
}

const QList<MetricKind>& collapsedKinds()
{
    static const QList<MetricKind> kinds{MetricKind::network, MetricKind::cpu, MetricKind::memory, MetricKind::power,
                                         MetricKind::swap};
    return kinds;
}

const QList<MetricKind>& gaugeKinds()
{
    static const QList<MetricKind> kinds{MetricKind::cpu, MetricKind::memory, MetricKind::network, MetricKind::disk};
    return kinds;
}

std::optional<MetricKind> tabFromTitle(QStringView title)
{
    for (MetricKind kind : tabs()) {
        if (title == QLatin1String(of(kind).title))
            return kind;
    }
    return std::nullopt;
}

std::optional<MetricKind> collapsedKindFromKey(QStringView key)
{
    for (MetricKind kind : collapsedKinds()) {
        if (key == QLatin1String(of(kind).key))
            return kind;
    }
    return std::nullopt;
}

Level level(MetricKind kind, double value)
{
    const ReadingDescriptor& reading = of(kind);
    return reading.thresholds ? levelFor(value, *reading.thresholds) : Level::normal;
}

bool isAbsent(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    return reading.group && snapshot.absentReadings.contains(*reading.group);
}

double percent(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    return reading.percent && !isAbsent(kind, snapshot) ? reading.percent(snapshot) : NAN;
}

QString valueText(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    if (isAbsent(kind, snapshot))
        return QStringLiteral("—");
    if (reading.valueText)
        return reading.valueText(snapshot);
    return reading.percent ? percentText(reading.percent(snapshot)) : QString();
}

QString spoken(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    if (isAbsent(kind, snapshot))
        return QLatin1String(reading.title) + QStringLiteral(" not available");
    if (reading.spoken)
        return reading.spoken(snapshot);
    const double percent = reading.percent ? reading.percent(snapshot) : 0;
    return QLatin1String(reading.title) + QLatin1Char(' ') + wholePercent(percent) + QStringLiteral(" percent");
}

QStringList tabDetails(MetricKind tab, const SystemSnapshot& snapshot)
{
    QStringList lines;
    for (const ReadingDescriptor& reading : all()) {
        if (reading.detailTab == tab && reading.detail) {
            const QString line = reading.detail(snapshot);
            if (!line.isEmpty())
                lines.append(line);
        }
    }
    return lines;
}

}  // namespace ReadingTable

}  // namespace moravel
