// The reading table: one row per kind of reading, and above each row what the
// row needs (its texts and its JSON fields).
#include "monitor/ReadingTable.h"

#include "monitor/TemperaturePolicy.h"
#include "monitor/Formatters.h"
#include "monitor/JsonWriter.h"
#include "monitor/MetricSeries.h"
#include "monitor/PowerRules.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

const AdapterReading* adapterOf(const SystemSnapshot& s)
{
    return s.power && s.power->adapter ? &*s.power->adapter : nullptr;
}

// ---- CPU, with the load average ----

void cpuJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("cpuPercent", fieldOf(s.cpu, &CpuReading::percent));
    w.numbers("cpuCorePercents", fieldOf(s.cpu, &CpuReading::corePercents));
    if (s.loadAverage)
        w.numbers("loadAverage", QList<double>(s.loadAverage->begin(), s.loadAverage->end()));
    else
        w.null("loadAverage");
}

QString loadDetail(const SystemSnapshot& s)
{
    if (!s.loadAverage)
        return {};
    const auto& load = *s.loadAverage;
    return QStringLiteral("Load ") + MetricFormat::fixed(load[0], 2) + QStringLiteral(" · ")
           + MetricFormat::fixed(load[1], 2) + QStringLiteral(" · ") + MetricFormat::fixed(load[2], 2);
}

QList<SpokenDetail> loadSpoken(const SystemSnapshot& s)
{
    if (!s.loadAverage)
        return {};
    const auto& load = *s.loadAverage;
    return {{QStringLiteral("Load average"), MetricFormat::fixed(load[0], 2) + QStringLiteral(", ")
                                                 + MetricFormat::fixed(load[1], 2) + QStringLiteral(", ")
                                                 + MetricFormat::fixed(load[2], 2)}};
}

constexpr ChartLine cpuLine{.series = Series::cpu, .tone = Tone::mint, .legend = "CPU"};
constexpr ChartLine cpuLines[] = {cpuLine};

// ---- Memory ----

void memoryJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("memoryPercent", fieldOf(s.memory, &MemoryReading::percent));
    w.unsignedInteger("memoryUsed", fieldOf(s.memory, &MemoryReading::used));
    w.unsignedInteger("memoryTotal", fieldOf(s.memory, &MemoryReading::total));
}

constexpr ChartLine memoryLine{.series = Series::memory, .tone = Tone::cyan, .legend = "Memory"};
constexpr ChartLine memoryLines[] = {memoryLine};
constexpr ChartLine overviewLines[] = {cpuLine, {.series = Series::memory, .tone = Tone::cyan, .dashed = true,
                                                 .legend = "Memory"}};

// ---- Network ----

// The gauge's two lines: download over upload, so both keep their units.
QString downloadText(const SystemSnapshot& s)
{
    return QStringLiteral("↓") + MetricFormat::speed(s.network->downloadBytesPerSecond);
}

QString uploadText(const SystemSnapshot& s)
{
    return s.network ? QStringLiteral("↑") + MetricFormat::speed(s.network->uploadBytesPerSecond) : QString();
}

QString networkSpoken(const SystemSnapshot& s)
{
    return QStringLiteral("down ") + MetricFormat::spokenSpeed(s.network->downloadBytesPerSecond)
           + QStringLiteral(", up ") + MetricFormat::spokenSpeed(s.network->uploadBytesPerSecond);
}

void networkJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("downloadBytesPerSecond", fieldOf(s.network, &NetworkReading::downloadBytesPerSecond));
    w.number("uploadBytesPerSecond", fieldOf(s.network, &NetworkReading::uploadBytesPerSecond));
}

constexpr ChartLine networkLines[] = {
    {.series = Series::download, .tone = Tone::cyan, .divisor = 1000, .legend = "Download"},
    {.series = Series::upload, .tone = Tone::mint, .divisor = 1000, .legend = "Upload"},
};

// ---- Disk, with what is read and written ----

// "R 1.2M  W 300K"; a dash where the source does not have the rates.
QString diskRates(const SystemSnapshot& s)
{
    if (!s.diskActivity)
        return QStringLiteral("R —  W —");
    return QStringLiteral("R ") + MetricFormat::speed(s.diskActivity->readBytesPerSecond) + QStringLiteral("  W ")
           + MetricFormat::speed(s.diskActivity->writeBytesPerSecond);
}

// "54 percent, reading 1.2 megabytes a second, writing 300 kilobytes a second".
QString diskSpoken(const SystemSnapshot& s)
{
    const QString used = MetricFormat::spokenPercent(s.disk->percent);
    if (!s.diskActivity)
        return used;
    return used + QStringLiteral(", reading ") + MetricFormat::spokenSpeed(s.diskActivity->readBytesPerSecond)
           + QStringLiteral(", writing ") + MetricFormat::spokenSpeed(s.diskActivity->writeBytesPerSecond);
}

void diskJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("diskPercent", fieldOf(s.disk, &DiskReading::percent));
    w.unsignedInteger("diskUsed", fieldOf(s.disk, &DiskReading::used));
    w.unsignedInteger("diskTotal", fieldOf(s.disk, &DiskReading::total));
    w.unsignedInteger("diskAvailable", fieldOf(s.disk, &DiskReading::available));
    w.number("diskReadBytesPerSecond", fieldOf(s.diskActivity, &DiskActivityReading::readBytesPerSecond));
    w.number("diskWriteBytesPerSecond", fieldOf(s.diskActivity, &DiskActivityReading::writeBytesPerSecond));
}

// ---- Power and battery ----

// The battery's level, as the collapsed reading shows it; nothing where no
// figure tells it, so no alert is raised at a made-up 0 %.
double batteryPercent(const SystemSnapshot& s)
{
    const BatteryReading* battery = batteryOf(s);
    return battery && battery->percent ? static_cast<double>(*battery->percent) : NAN;
}

// "battery 55 percent, charging, 1 hour 20 minutes to full".
QString powerSpoken(const SystemSnapshot& s)
{
    const BatteryReading* battery = batteryOf(s);
    if (!battery)
        return QStringLiteral("no battery");
    if (!battery->percent)
        return QStringLiteral("battery level unknown");
    QStringList parts{QStringLiteral("battery ") + QString::number(*battery->percent) + QStringLiteral(" percent")};
    const auto time = [&](const char* until) {
        if (battery->minutesRemaining)
            parts.append(MetricFormat::spokenDuration(*battery->minutesRemaining) + QLatin1String(until));
    };
    if (isBatteryShownFull(s)) {
        parts.append(QStringLiteral("full"));
    } else if (battery->isCharging) {
        parts.append(QStringLiteral("charging"));
        time(" to full");
    } else if (s.power->isExternalPowerConnected) {
        parts.append(QStringLiteral("not charging"));
    } else {
        parts.append(QStringLiteral("on battery"));
        time(" left");
    }
    return parts.join(QStringLiteral(", "));
}

// Without a battery the chart shows what the power supply delivers.
QString systemPowerLegend(const SystemSnapshot& s)
{
    if (!batteryOf(s))
        return QStringLiteral("Input");
    return s.power->isExternalPowerConnected ? QStringLiteral("System") : QStringLiteral("Draw");
}

void powerJson(JsonWriter& w, const SystemSnapshot& s)
{
    const std::optional<PowerReading>& power = s.power;
    const BatteryReading* battery = batteryOf(s);
    const AdapterReading* adapter = adapterOf(s);
    const auto onBattery = [&](auto value) { return power ? std::optional(battery && value(*battery)) : std::nullopt; };
    w.boolean("hasBattery", power ? std::optional(battery != nullptr) : std::nullopt);
    w.integer("batteryPercent", battery ? battery->percent : std::nullopt);
    w.boolean("isCharging", onBattery([](const BatteryReading& b) { return b.isCharging; }));
    w.boolean("isExternalPowerConnected", fieldOf(power, &PowerReading::isExternalPowerConnected));
    w.boolean("isFullyCharged", onBattery([](const BatteryReading& b) { return b.isFullyCharged; }));
    w.integer("minutesRemaining", battery ? battery->minutesRemaining : std::nullopt);
    w.number("batteryPowerWatts", battery ? std::optional(battery->watts) : std::nullopt);
    w.number("systemInputWatts", fieldOf(power, &PowerReading::systemInputWatts));
    w.number("displayPowerWatts", power ? power->displayPowerWatts : std::nullopt);
    w.integer("adapterWatts", adapter ? adapter->ratedWatts : std::nullopt);
    w.number("adapterVoltage", adapter ? adapter->volts : std::nullopt);
    w.number("adapterCurrent", adapter ? adapter->amperes : std::nullopt);
}

constexpr ChartLine powerLines[] = {
    {.series = Series::systemPower, .tone = Tone::cyan, .legendFor = systemPowerLegend},
    {.series = Series::batteryPower, .tone = Tone::mint, .dashed = true, .legend = "Charging",
     .whileCharging = true},
};

// ---- Swap ----

double swapPercent(const SystemSnapshot& s)
{
    if (!s.swap || s.swap->total == 0)
        return NAN;
    return static_cast<double>(s.swap->used) / static_cast<double>(s.swap->total) * 100.0;
}

QString swapDetail(const SystemSnapshot& s)
{
    if (!s.swap || s.swap->total == 0)
        return {};
    return QStringLiteral("Swap ") + MetricFormat::memory(s.swap->used) + QStringLiteral(" of ")
           + MetricFormat::memory(s.swap->total);
}

QList<SpokenDetail> swapSpokenDetails(const SystemSnapshot& s)
{
    if (!s.swap || s.swap->total == 0)
        return {};
    return {{QStringLiteral("Swap"), MetricFormat::spokenMemory(s.swap->used) + QStringLiteral(" of ")
                                         + MetricFormat::spokenMemory(s.swap->total)}};
}

QString swapSpoken(const SystemSnapshot& s)
{
    return s.swap->total == 0 ? QStringLiteral("no swap") : MetricFormat::spokenPercent(swapPercent(s));
}

void swapJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.unsignedInteger("swapUsed", fieldOf(s.swap, &SwapReading::used));
    w.unsignedInteger("swapTotal", fieldOf(s.swap, &SwapReading::total));
    w.number("swapPercent", swapPercent(s));
}

// ---- Temperatures ----

QString temperatureText(double celsius)
{
    return std::isfinite(celsius) ? MetricFormat::fixed(celsius, 0) + QStringLiteral("°C") : QStringLiteral("—");
}

double cpuTemperature(const SystemSnapshot& s)
{
    const std::optional<CpuTemperature> cpu = cpuTemperatureOf(s);
    return cpu ? cpu->celsius : NAN;
}

Level sensorTemperatureLevel(const SensorReading& sensor)
{
    return levelFor(sensor.value, temperatureThresholds(temperatureLimit(sensor)));
}

void temperaturesJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("cpuTemperatureCelsius", s.temperatures ? std::optional(cpuTemperature(s)) : std::nullopt);
    w.objects("temperatures", s.temperatures, [](JsonWriter& row, const SensorReading& t) {
        row.string("chip", chipTitle(t));
        row.string("label", t.label);
        row.number("celsius", t.value);
    });
}

// The axis suffix is Latin-1: a degree sign.
constexpr ChartLine temperatureLines[] = {
    {.series = Series::cpuTemperature, .tone = Tone::mint, .legend = "CPU"}};

// ---- GPUs ----

double gpuBusy(const SystemSnapshot& s)
{
    return descriptor(Series::gpuBusy).value(s);
}

bool hasGpuLoad(const SystemSnapshot& s)
{
    return std::isfinite(gpuBusy(s));
}

// Each GPU by its name: its load, memory and temperature, as far as its driver
// tells; the GPU list draws the same rows.
QList<SpokenDetail> gpuSpokenDetails(const SystemSnapshot& s)
{
    QList<SpokenDetail> details;
    for (const GpuReading& gpu : s.gpus.value_or(QList<GpuReading>())) {
        QStringList parts;
        if (gpu.busyPercent)
            parts.append(MetricFormat::spokenPercent(*gpu.busyPercent));
        if (gpu.memoryUsed && gpu.memoryTotal)
            parts.append(QStringLiteral("memory ") + MetricFormat::spokenMemory(*gpu.memoryUsed) + QStringLiteral(" of ")
                         + MetricFormat::spokenMemory(*gpu.memoryTotal));
        if (gpu.temperatureCelsius)
            parts.append(MetricFormat::spokenCelsius(*gpu.temperatureCelsius));
        details.append({gpu.name, parts.isEmpty() ? QLatin1String(MetricFormat::notAvailableSpoken)
                                                  : parts.join(QStringLiteral(", "))});
    }
    return details;
}

void gpusJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.objects("gpus", s.gpus, [](JsonWriter& row, const GpuReading& gpu) {
        row.string("name", gpu.name);
        row.number("busyPercent", gpu.busyPercent);
        row.unsignedInteger("memoryUsed", gpu.memoryUsed);
        row.unsignedInteger("memoryTotal", gpu.memoryTotal);
        row.number("temperatureCelsius", gpu.temperatureCelsius);
    });
}

constexpr ChartLine gpuLines[] = {{.series = Series::gpuBusy, .tone = Tone::mint, .legend = "GPU"}};

// ---- Fans ----

// A graphics card's fans cool the card, not the computer.
bool isGraphicsChip(const QString& chip)
{
    return chip == QLatin1String("amdgpu") || chip == QLatin1String("radeon") || chip == QLatin1String("nouveau");
}

// The fastest fan cooling the processor or the computer; a stopped fan reads 0.
double fastestFan(const SystemSnapshot& s)
{
    double fastest = NAN;
    for (const SensorReading& fan : s.fans.value_or(QList<SensorReading>())) {
        if (!isGraphicsChip(fan.chip) && !(fan.value <= fastest))
            fastest = fan.value;
    }
    return fastest;
}

QString rpmText(double rpm)
{
    return MetricFormat::fixed(rpm, 0) + QStringLiteral(" rpm");
}

QString fanSpoken(const SystemSnapshot& s)
{
    const double rpm = fastestFan(s);
    return std::isfinite(rpm) ? rpmText(rpm) : QLatin1String(MetricFormat::notAvailableSpoken);
}

void fansJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.number("fanRpm", fastestFan(s));
    w.objects("fans", s.fans, [](JsonWriter& row, const SensorReading& fan) {
        row.string("chip", chipTitle(fan));
        row.string("label", fan.label);
        row.number("rpm", fan.value);
    });
}

// ---- Voltages ----

QString voltsText(double volts)
{
    return MetricFormat::fixed(volts, 2) + QStringLiteral(" V");
}

QString voltsSpoken(double volts)
{
    return std::isfinite(volts) ? MetricFormat::fixed(volts, 2) + QStringLiteral(" volts")
                                : QLatin1String(MetricFormat::notAvailableSpoken);
}

void voltagesJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.objects("voltages", s.voltages, [](JsonWriter& row, const SensorReading& voltage) {
        row.string("chip", chipTitle(voltage));
        row.string("label", voltage.label);
        row.number("volts", voltage.value);
    });
}

// ---- The machines of a fleet ----

void machinesJson(JsonWriter& w, const SystemSnapshot& s)
{
    w.objects("machines", fieldOf(s.fleet, &FleetReading::machines), [](JsonWriter& row, const MachineReading& m) {
        const SystemSnapshot& r = m.readings;
        row.string("instance", m.instance);
        row.string("job", m.job);
        row.boolean("up", m.isUp);
        if (m.since)
            row.string("since", m.since->toUTC().toString(Qt::ISODateWithMs));
        else
            row.null("since");
        row.number("cpuPercent", fieldOf(r.cpu, &CpuReading::percent));
        row.unsignedInteger("memoryUsed", fieldOf(r.memory, &MemoryReading::used));
        row.unsignedInteger("memoryTotal", fieldOf(r.memory, &MemoryReading::total));
        row.unsignedInteger("diskUsed", fieldOf(r.disk, &DiskReading::used));
        row.unsignedInteger("diskTotal", fieldOf(r.disk, &DiskReading::total));
        networkJson(row, r);
        if (r.loadAverage)
            row.numbers("loadAverage", QList<double>(r.loadAverage->begin(), r.loadAverage->end()));
        else
            row.null("loadAverage");
        row.number("cpuTemperatureCelsius", cpuTemperature(r));
        fansJson(row, r);
        voltagesJson(row, r);
    });
}

constexpr LevelThresholds loadThresholds{70, 85, 95};

// The rows, in the order of MetricKind.
constexpr ReadingDescriptor rows[] = {
    {
        .kind = MetricKind::overview,
        .key = "overview",
        .title = "Overview",
        .shortLabel = "Overview",
        .icon = "waveform.path.ecg",
        .tab = TabPart{.lines = overviewLines},
    },
    {
        .kind = MetricKind::cpu,
        .key = "cpu",
        .title = "CPU",
        .shortLabel = "CPU",
        .icon = "cpu",
        .thresholds = loadThresholds,
        .isPresent = [](const SystemSnapshot& s) { return s.cpu.has_value(); },
        .value = [](const SystemSnapshot& s) { return s.cpu ? s.cpu->percent : NAN; },
        .collapsed = CollapsedPart{.width = 48, .style = CollapsedStyle::load, .addedVisible = true, .order = 1},
        .tab = TabPart{.lines = cpuLines},
        .detailTab = MetricKind::cpu,
        .detail = loadDetail,
        .spokenDetails = loadSpoken,
        .writeJson = cpuJson,
    },
    {
        .kind = MetricKind::memory,
        .key = "memory",
        .title = "Memory",
        .shortLabel = "MEM",
        .icon = "memorychip",
        .thresholds = LevelThresholds{75, 85, 93},
        .isPresent = [](const SystemSnapshot& s) { return s.memory.has_value(); },
        .value = [](const SystemSnapshot& s) { return s.memory ? s.memory->percent : NAN; },
        .collapsed = CollapsedPart{.width = 48, .style = CollapsedStyle::load, .addedVisible = true, .order = 2},
        .tab = TabPart{.lines = memoryLines},
        .writeJson = memoryJson,
    },
    {
        .kind = MetricKind::network,
        .key = "network",
        .title = "Network",
        .shortLabel = "Network",
        .icon = "wifi",
        .tone = Tone::cyan,
        .isPresent = [](const SystemSnapshot& s) { return s.network.has_value(); },
        .valueText = downloadText,
        .gaugeDetail = uploadText,
        .spoken = networkSpoken,
        // The icon, then two speeds as wide as "↓999.9M".
        .collapsed = CollapsedPart{.width = 112, .style = CollapsedStyle::network, .addedVisible = true, .order = 0},
        .tab = TabPart{.lines = networkLines, .isPercent = false, .minimumTop = 10, .axisSuffix = "K"},
        .writeJson = networkJson,
    },
    {
        .kind = MetricKind::disk,
        .key = "disk",
        .title = "Disk",
        .shortLabel = "Disk",
        .icon = "internaldrive",
        .isPresent = [](const SystemSnapshot& s) { return s.disk.has_value(); },
        .value = [](const SystemSnapshot& s) { return s.disk ? s.disk->percent : NAN; },
        .gaugeDetail = diskRates,
        .spoken = diskSpoken,
        // The icon and "100%", then two rates as wide as "R999.9M".
        .collapsed = CollapsedPart{.width = 140, .style = CollapsedStyle::disk, .addedVisible = false, .order = 5},
        .writeJson = diskJson,
    },
    {
        .kind = MetricKind::power,
        .key = "power",
        .title = "Power",
        .shortLabel = "Power",
        .icon = "bolt.fill",
        .isPresent = [](const SystemSnapshot& s) { return s.power.has_value(); },
        .value = batteryPercent,
        .spoken = powerSpoken,
        .collapsed = CollapsedPart{.width = 94, .style = CollapsedStyle::power, .addedVisible = true, .order = 3},
        // Without a battery or an adapter that tells its input (most desktops)
        // there is no power figure to chart.
        .tab = TabPart{.lines = powerLines, .isPercent = false, .minimumTop = 20, .axisSuffix = "W",
                       .isAvailable = [](const SystemSnapshot& s) {
                           return batteryOf(s) != nullptr || adapterOf(s) != nullptr;
                       }},
        .writeJson = powerJson,
    },
    {
        .kind = MetricKind::swap,
        .key = "swap",
        .title = "Swap",
        .shortLabel = "SWAP",
        .icon = "swap",
        .thresholds = LevelThresholds{50, 75, 90},
        .isPresent = [](const SystemSnapshot& s) { return s.swap.has_value(); },
        .value = swapPercent,
        .spoken = swapSpoken,
        .collapsed = CollapsedPart{.width = 48, .style = CollapsedStyle::load, .addedVisible = false, .order = 4},
        .detailTab = MetricKind::memory,
        .detail = swapDetail,
        .spokenDetails = swapSpokenDetails,
        .writeJson = swapJson,
    },
    {
        .kind = MetricKind::temperature,
        .key = "temperature",
        .title = "Temperature",
        .shortLabel = "TEMP",
        .icon = "thermometer",
        .thresholdsFor = [](const SystemSnapshot& s) {
            const std::optional<CpuTemperature> cpu = cpuTemperatureOf(s);
            return temperatureThresholds(cpu ? cpu->criticalCelsius : std::nullopt);
        },
        .isPresent = [](const SystemSnapshot& s) { return s.temperatures.has_value(); },
        .value = cpuTemperature,
        .valueText = [](const SystemSnapshot& s) { return temperatureText(cpuTemperature(s)); },
        .spoken = [](const SystemSnapshot& s) { return MetricFormat::spokenCelsius(cpuTemperature(s)); },
        .collapsed = CollapsedPart{.width = 56, .style = CollapsedStyle::load, .addedVisible = false, .order = 6},
        .tab = TabPart{.lines = temperatureLines, .isPercent = false, .minimumTop = 100, .axisSuffix = "\xB0",
                       .title = "Sensors",
                       .isAvailable = ReadingTable::hasListedSensors},
        .writeJson = temperaturesJson,
        .sensorList = SensorListPart{.sensors = &SystemSnapshot::temperatures,
                                     .valueText = temperatureText,
                                     .spokenValue = MetricFormat::spokenCelsius,
                                     .level = sensorTemperatureLevel},
    },
    {
        .kind = MetricKind::gpu,
        .key = "gpu",
        .title = "GPU",
        .shortLabel = "GPU",
        .icon = "gpu",
        .thresholds = loadThresholds,
        .isPresent = [](const SystemSnapshot& s) { return s.gpus.has_value(); },
        .value = gpuBusy,
        .collapsed = CollapsedPart{.width = 48, .style = CollapsedStyle::load, .addedVisible = false, .order = 7},
        .tab = TabPart{.lines = gpuLines, .isAvailable = hasGpuLoad},
        .detailTab = MetricKind::gpu,
        .spokenDetails = gpuSpokenDetails,
        .writeJson = gpusJson,
    },
    {
        .kind = MetricKind::fan,
        .key = "fan",
        .title = "Fan",
        .shortLabel = "FAN",
        .icon = "fan",
        .isPresent = [](const SystemSnapshot& s) { return s.fans.has_value(); },
        .value = fastestFan,
        .valueText = [](const SystemSnapshot& s) {
            const double rpm = fastestFan(s);
            return std::isfinite(rpm) ? MetricFormat::fixed(rpm, 0) : QStringLiteral("—");
        },
        .spoken = fanSpoken,
        .collapsed = CollapsedPart{.width = 56, .style = CollapsedStyle::load, .addedVisible = false, .order = 8},
        .writeJson = fansJson,
        .sensorList = SensorListPart{.sensors = &SystemSnapshot::fans, .valueText = rpmText, .spokenValue = rpmText},
    },
    {
        .kind = MetricKind::voltage,
        .key = "voltage",
        .title = "Voltage",
        .shortLabel = "VOLT",
        .icon = "voltage",
        .isPresent = [](const SystemSnapshot& s) { return s.voltages.has_value(); },
        .writeJson = voltagesJson,
        .sensorList = SensorListPart{.sensors = &SystemSnapshot::voltages, .valueText = voltsText,
                                     .spokenValue = voltsSpoken},
    },
    {
        .kind = MetricKind::machines,
        .key = "machines",
        .title = "Machines",
        .shortLabel = "Machines",
        .icon = "server.rack",
        .isPresent = [](const SystemSnapshot& s) { return s.fleet.has_value(); },
        // The tab lists the machines in place of a chart.
        .tab = TabPart{.lines = {}, .isAvailable = [](const SystemSnapshot& s) { return s.fleet.has_value(); }},
        .writeJson = machinesJson,
    },
};

// A kind added to the enumeration without its row, or a row out of place,
// does not build.
constexpr bool rowsFollowTheKinds()
{
    for (size_t i = 0; i < std::size(rows); ++i) {
        if (static_cast<size_t>(rows[i].kind) != i)
            return false;
    }
    return true;
}
static_assert(std::size(rows) == metricKindCount, "one row per MetricKind");
static_assert(rowsFollowTheKinds(), "row i describes MetricKind i");

}  // namespace

namespace ReadingTable {

std::span<const ReadingDescriptor, metricKindCount> all()
{
    return rows;
}

}  // namespace ReadingTable

}  // namespace moravel
