#include "monitor/ReadingTable.h"

#include "monitor/Formatters.h"
#include "monitor/ReadingJson.h"
#include "monitor/MetricSeries.h"

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

// "R 1.2M  W 300K"; a dash where the source does not publish the rates.
QString diskRates(const SystemSnapshot& s)
{
    if (s.absentReadings.contains(ReadingGroup::diskActivity))
        return QStringLiteral("R —  W —");
    return QStringLiteral("R ") + MetricFormat::speed(s.diskReadBytesPerSecond) + QStringLiteral("  W ")
           + MetricFormat::speed(s.diskWriteBytesPerSecond);
}

QString loadDetail(const SystemSnapshot& s)
{
    if (!s.loadAverage)
        return {};
    const auto& load = *s.loadAverage;
    return QStringLiteral("Load ") + MetricFormat::fixed(load[0], 2) + QStringLiteral(" · ")
           + MetricFormat::fixed(load[1], 2) + QStringLiteral(" · ") + MetricFormat::fixed(load[2], 2);
}

QString temperatureText(double celsius)
{
    return std::isfinite(celsius) ? MetricFormat::fixed(celsius, 0) + QStringLiteral("°C") : QStringLiteral("—");
}

double cpuTemperature(const SystemSnapshot& s)
{
    return s.cpuTemperatureCelsius.value_or(NAN);
}

QString cpuTemperatureSpoken(const SystemSnapshot& s)
{
    if (!s.cpuTemperatureCelsius)
        return QStringLiteral("No CPU temperature");
    return QStringLiteral("CPU temperature ") + wholePercent(*s.cpuTemperatureCelsius) + QStringLiteral(" degrees");
}

double gpuBusy(const SystemSnapshot& s)
{
    return descriptor(Series::gpuBusy).value(s);
}

bool hasGpuLoad(const SystemSnapshot& s)
{
    return std::isfinite(gpuBusy(s));
}

QString gpuSpoken(const SystemSnapshot& s)
{
    if (!hasGpuLoad(s))
        return QStringLiteral("No GPU load");
    return QStringLiteral("GPU ") + wholePercent(gpuBusy(s)) + QStringLiteral(" percent");
}

// Each GPU: its name, load, memory and temperature, as far as its driver tells.
QString gpuDetail(const SystemSnapshot& s)
{
    QStringList gpus;
    for (const GpuReading& gpu : s.gpus) {
        QStringList parts{gpu.name};
        if (gpu.busyPercent)
            parts.append(percentText(*gpu.busyPercent));
        if (gpu.memoryUsed && gpu.memoryTotal)
            parts.append(MetricFormat::bytes(*gpu.memoryUsed) + QStringLiteral(" of ")
                         + MetricFormat::bytes(*gpu.memoryTotal));
        if (gpu.temperatureCelsius)
            parts.append(temperatureText(*gpu.temperatureCelsius));
        gpus.append(parts.join(QStringLiteral(" ")));
    }
    return gpus.join(QStringLiteral("  ·  "));
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
        {MetricKind::temperature, "temperature", "Temperature", "TEMP", "thermometer"},
        {MetricKind::gpu, "gpu", "GPU", "GPU", "gpu"},
    }};
    auto& overview = table[static_cast<size_t>(MetricKind::overview)];
    ChartLine dashedMemory = memoryLine;
    dashedMemory.dashed = true;
    overview.tab = TabSpec{{cpuLine, dashedMemory}};

    auto& cpu = table[static_cast<size_t>(MetricKind::cpu)];
    cpu.thresholds = LevelThresholds{70, 85, 95};
    cpu.value = [](const SystemSnapshot& s) { return s.cpuPercent; };
    cpu.collapsed = CollapsedSpec{48, CollapsedStyle::load, true};
    cpu.tab = TabSpec{{cpuLine}};
    cpu.detailTab = MetricKind::cpu;
    cpu.detail = loadDetail;
    cpu.group = ReadingGroup::cpu;
    cpu.writeJson = ReadingJson::cpu;

    auto& memory = table[static_cast<size_t>(MetricKind::memory)];
    memory.thresholds = LevelThresholds{75, 85, 93};
    memory.value = [](const SystemSnapshot& s) { return s.memoryPercent; };
    memory.collapsed = CollapsedSpec{48, CollapsedStyle::load, true};
    memory.tab = TabSpec{{memoryLine}};
    memory.group = ReadingGroup::memory;
    memory.writeJson = ReadingJson::memory;

    auto& network = table[static_cast<size_t>(MetricKind::network)];
    network.tone = Tone::cyan;
    network.valueText = networkText;
    network.spoken = networkSpoken;
    network.collapsed = CollapsedSpec{90, CollapsedStyle::network, true};
    network.tab = TabSpec{{{Series::download, Tone::cyan, false, 1000, "Download"},
                           {Series::upload, Tone::mint, false, 1000, "Upload"}},
                          false, 10, "K"};
    network.group = ReadingGroup::network;
    network.writeJson = ReadingJson::network;

    auto& disk = table[static_cast<size_t>(MetricKind::disk)];
    disk.value = [](const SystemSnapshot& s) { return s.diskPercent; };
    disk.gaugeDetail = diskRates;
    disk.collapsed = CollapsedSpec{124, CollapsedStyle::disk, false};
    disk.group = ReadingGroup::disk;
    disk.writeJson = ReadingJson::disk;

    auto& power = table[static_cast<size_t>(MetricKind::power)];
    power.spoken = powerSpoken;
    power.collapsed = CollapsedSpec{94, CollapsedStyle::power, true};
    power.tab = TabSpec{{{Series::systemPower, Tone::cyan, false, 1, "", systemPowerLegend},
                         {Series::batteryPower, Tone::mint, true, 1, "Charging", nullptr, true}},
                        false, 20, "W"};
    power.group = ReadingGroup::power;
    power.writeJson = ReadingJson::power;

    auto& swap = table[static_cast<size_t>(MetricKind::swap)];
    swap.thresholds = LevelThresholds{50, 75, 90};
    swap.value = swapPercent;
    swap.spoken = swapSpoken;
    swap.collapsed = CollapsedSpec{48, CollapsedStyle::load, false};
    swap.detailTab = MetricKind::memory;
    swap.detail = swapDetail;
    swap.group = ReadingGroup::swap;
    swap.writeJson = ReadingJson::swap;

    auto& temperature = table[static_cast<size_t>(MetricKind::temperature)];
    temperature.thresholdsFor = [](const SystemSnapshot& s) {
        return temperatureThresholds(s.cpuTemperatureCriticalCelsius);
    };
    temperature.value = cpuTemperature;
    temperature.valueText = [](const SystemSnapshot& s) { return temperatureText(cpuTemperature(s)); };
    temperature.spoken = cpuTemperatureSpoken;
    temperature.collapsed = CollapsedSpec{56, CollapsedStyle::load, false};
    // The axis suffix is Latin-1: a degree sign.
    temperature.tab = TabSpec{{{Series::cpuTemperature, Tone::mint, false, 1, "CPU"}}, false, 100, "\xB0", "Sensors",
                              [](const SystemSnapshot& s) { return !s.temperatures.isEmpty(); }};
    temperature.group = ReadingGroup::temperatures;
    temperature.writeJson = ReadingJson::temperatures;

    auto& gpu = table[static_cast<size_t>(MetricKind::gpu)];
    gpu.thresholds = cpu.thresholds;
    gpu.value = gpuBusy;
    gpu.spoken = gpuSpoken;
    gpu.collapsed = CollapsedSpec{48, CollapsedStyle::load, false};
    gpu.tab = TabSpec{{{Series::gpuBusy, Tone::mint, false, 1, "GPU"}}, true, 0, "%", nullptr, hasGpuLoad};
    gpu.detailTab = MetricKind::gpu;
    gpu.detail = gpuDetail;
    gpu.group = ReadingGroup::gpus;
    gpu.writeJson = ReadingJson::gpus;
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

LevelThresholds temperatureThresholds(std::optional<double> criticalCelsius)
{
    // Some sensors report a critical figure of 0 or 255: only a plausible one counts.
    const bool plausible = criticalCelsius && *criticalCelsius >= 50 && *criticalCelsius <= 130;
    const double critical = plausible ? *criticalCelsius : 95;
    const double high = std::min(80.0, critical);
    return {high, high, critical};
}

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
    static const QList<MetricKind> kinds{MetricKind::network, MetricKind::cpu,  MetricKind::memory,
                                         MetricKind::power,   MetricKind::swap, MetricKind::disk,
                                         MetricKind::temperature, MetricKind::gpu};
    return kinds;
}

const QList<MetricKind>& gaugeKinds()
{
    static const QList<MetricKind> kinds{MetricKind::cpu, MetricKind::memory, MetricKind::network, MetricKind::disk};
    return kinds;
}

QList<MetricKind> availableTabs(const SystemSnapshot& snapshot)
{
    QList<MetricKind> kinds;
    for (MetricKind kind : tabs()) {
        const auto isAvailable = of(kind).tab->isAvailable;
        if (!isAvailable || isAvailable(snapshot))
            kinds.append(kind);
    }
    return kinds;
}

QString tabTitle(MetricKind tab)
{
    const ReadingDescriptor& reading = of(tab);
    return QLatin1String(reading.tab && reading.tab->title ? reading.tab->title : reading.title);
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

double value(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    return reading.value && !isAbsent(kind, snapshot) ? reading.value(snapshot) : NAN;
}

Level level(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    if (reading.thresholdsFor)
        return levelFor(value(kind, snapshot), reading.thresholdsFor(snapshot));
    return level(kind, value(kind, snapshot));
}

QString valueText(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    if (isAbsent(kind, snapshot))
        return QStringLiteral("—");
    if (reading.valueText)
        return reading.valueText(snapshot);
    return reading.value ? percentText(reading.value(snapshot)) : QString();
}

QString spoken(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = of(kind);
    if (isAbsent(kind, snapshot))
        return QLatin1String(reading.title) + QStringLiteral(" not available");
    if (reading.spoken)
        return reading.spoken(snapshot);
    const double percent = reading.value ? reading.value(snapshot) : 0;
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
