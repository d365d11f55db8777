#include "monitor/remote/NodeExporterReadings.h"

#include "monitor/PowerRules.h"
#include "monitor/linux/DiskReader.h"
#include "monitor/linux/PowerSupplyReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <unordered_map>

namespace moravel {

namespace {

using Family = std::vector<const ExpositionSample*>;

// The page's node_* samples by metric name.
class Families {
public:
    explicit Families(const ExpositionPage& page)
    {
        for (const ExpositionSample& sample : page.samples) {
            if (sample.name.starts_with("node_"))
                byName_[sample.name].push_back(&sample);
        }
    }

    const Family& operator[](const std::string& name) const
    {
        static const Family none;
        const auto found = byName_.find(name);
        return found == byName_.end() ? none : found->second;
    }
    std::optional<double> single(const std::string& name) const
    {
        const Family& family = (*this)[name];
        return family.empty() ? std::nullopt : std::optional<double>(family.front()->value);
    }
    // Whether the exporter says the named collector ran, even if it found nothing.
    bool collectorRan(std::string_view collector) const
    {
        const Family& family = (*this)["node_scrape_collector_success"];
        return std::any_of(family.begin(), family.end(), [&](const ExpositionSample* sample) {
            return sample->label("collector") == collector && sample->value == 1;
        });
    }
    // Names starting with `prefix`, for the families named after a device's attribute.
    template <typename Visit>
    void forEachWithPrefix(std::string_view prefix, Visit visit) const
    {
        for (const auto& [name, family] : byName_) {
            if (name.starts_with(prefix))
                visit(std::string_view(name).substr(prefix.size()), family);
        }
    }

private:
    std::unordered_map<std::string, Family> byName_;
};

// A counter or size in whole units; nothing for NaN, infinity or below zero.
std::optional<uint64_t> wholeAmount(double value, double scale = 1)
{
    const double scaled = value * scale;
    if (!std::isfinite(scaled) || scaled < 0 || scaled >= 1.8e19)
        return std::nullopt;
    return static_cast<uint64_t>(std::llround(scaled));
}

std::optional<int> labelNumber(const ExpositionSample& sample, std::string_view key)
{
    const std::string_view text = sample.label(key);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

// The same busy and idle split as this computer's /proc/stat reading.
void readCpu(const Families& families, NodePage& page)
{
    struct Seconds {
        double busy = 0;
        double idle = 0;
    };
    std::map<int, Seconds> cores;
    for (const ExpositionSample* sample : families["node_cpu_seconds_total"]) {
        const std::optional<int> core = labelNumber(*sample, "cpu");
        const std::string_view mode = sample->label("mode");
        if (!core || !std::isfinite(sample->value) || sample->value < 0)
            return;
        if (mode == "idle" || mode == "iowait")
            cores[*core].idle += sample->value;
        else if (mode == "user" || mode == "nice" || mode == "system" || mode == "irq" || mode == "softirq"
                 || mode == "steal")
            cores[*core].busy += sample->value;
    }
    if (cores.empty())
        return;
    CpuTicks total;
    for (const auto& [core, seconds] : cores) {
        const uint64_t used = *wholeAmount(seconds.busy, 1000);
        const CpuTicks ticks{used, used + *wholeAmount(seconds.idle, 1000)};
        page.cores.push_back(ticks);
        total.used += ticks.used;
        total.total += ticks.total;
    }
    page.cpu = total;
}

void readMemory(const Families& families, NodePage& page)
{
    // Written out as /proc/meminfo, so that both machines are read alike.
    std::string meminfo;
    for (const char* key : {"MemTotal", "MemAvailable", "MemFree", "Buffers", "Cached", "SReclaimable", "Shmem"}) {
        const std::optional<double> bytes = families.single(std::string("node_memory_") + key + "_bytes");
        if (const auto kilobytes = bytes ? wholeAmount(*bytes, 1.0 / 1024) : std::nullopt)
            meminfo += std::string(key) + ": " + std::to_string(*kilobytes) + " kB\n";
    }
    page.memory = parseMeminfo(meminfo);
    const auto total = families.single("node_memory_SwapTotal_bytes");
    const auto free = families.single("node_memory_SwapFree_bytes");
    const auto totalBytes = total ? wholeAmount(*total) : std::nullopt;
    const auto freeBytes = free ? wholeAmount(*free) : std::nullopt;
    if (totalBytes && freeBytes)
        page.swap = std::array<uint64_t, 2>{*totalBytes - std::min(*totalBytes, *freeBytes), *totalBytes};
}

// Two counters per device (received and sent, read and written), by name;
// devices `counts` turns down are left out.
template <typename Counts>
std::optional<std::vector<InterfaceCounters>> deviceCounters(const Family& first, const Family& second, Counts counts)
{
    if (first.empty())
        return std::nullopt;
    std::map<std::string_view, std::optional<uint64_t>> seconds;
    for (const ExpositionSample* sample : second)
        seconds[sample->label("device")] = wholeAmount(sample->value);
    std::vector<InterfaceCounters> devices;
    for (const ExpositionSample* sample : first) {
        const std::string_view device = sample->label("device");
        const auto other = seconds.find(device);
        const std::optional<uint64_t> amount = wholeAmount(sample->value);
        if (device.empty() || other == seconds.end() || !other->second || !amount || !counts(device))
            continue;
        devices.push_back({std::string(device), *amount, *other->second});
    }
    std::sort(devices.begin(), devices.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return devices;
}

void readNetwork(const Families& families, NodePage& page)
{
    std::map<std::string_view, unsigned> flags;
    for (const ExpositionSample* sample : families["node_network_flags"]) {
        if (const auto value = wholeAmount(sample->value))
            flags[sample->label("device")] = static_cast<unsigned>(*value);
    }
    page.network = deviceCounters(families["node_network_receive_bytes_total"],
                                  families["node_network_transmit_bytes_total"], [&](std::string_view device) {
                                      const auto known = flags.find(device);
                                      if (known == flags.end())
                                          return device != "lo";
                                      return (known->second & interfaceUpFlag)
                                             && !(known->second & interfaceLoopbackFlag);
                                  });
}

bool endsInDigit(std::string_view name)
{
    return !name.empty() && name.back() >= '0' && name.back() <= '9';
}

// Whole physical disks only, so nothing is counted twice: no partitions
// (sda1, nvme0n1p2, mmcblk0p1), device-mapper, RAID, swap in memory, loop or
// optical devices.
bool isWholeDisk(std::string_view name)
{
    for (std::string_view layered : {"dm-", "md", "zram", "loop", "ram", "sr", "fd", "nbd"}) {
        if (name.starts_with(layered))
            return false;
    }
    for (std::string_view lettered : {"sd", "hd", "vd", "xvd"}) {
        if (name.starts_with(lettered))
            return !endsInDigit(name);
    }
    const size_t p = name.rfind('p');
    if (p != std::string_view::npos && p > 0 && endsInDigit(name.substr(0, p)) && endsInDigit(name)
        && name.find_first_not_of("0123456789", p + 1) == std::string_view::npos)
        return false;
    return true;
}

void readDisks(const Families& families, NodePage& page)
{
    const auto size = [&](const char* name) -> std::optional<uint64_t> {
        for (const ExpositionSample* sample : families[name]) {
            if (sample->label("mountpoint") == "/")
                return wholeAmount(sample->value);
        }
        return std::nullopt;
    };
    const auto total = size("node_filesystem_size_bytes");
    const auto available = size("node_filesystem_avail_bytes");
    if (total && available)
        page.disk = diskMetricFrom(*total, *available);
    page.diskActivity = deviceCounters(families["node_disk_read_bytes_total"],
                                       families["node_disk_written_bytes_total"], isWholeDisk);
}

void readLoad(const Families& families, NodePage& page)
{
    const auto one = families.single("node_load1");
    const auto five = families.single("node_load5");
    const auto fifteen = families.single("node_load15");
    if (one && five && fifteen)
        page.load = std::array<double, 3>{*one, *five, *fifteen};
}

void readTemperatures(const Families& families, NodePage& page)
{
    const Family& readings = families["node_hwmon_temp_celsius"];
    if (readings.empty() && !families.collectorRan("hwmon"))
        return;
    using Key = std::pair<std::string_view, std::string_view>;  // chip, sensor
    const auto bySensor = [&](const std::string& name) {
        std::map<Key, double> values;
        for (const ExpositionSample* sample : families[name])
            values[{sample->label("chip"), sample->label("sensor")}] = sample->value;
        return values;
    };
    const auto critical = bySensor("node_hwmon_temp_crit_celsius");
    const auto maximum = bySensor("node_hwmon_temp_max_celsius");
    std::map<std::string_view, std::string_view> chipNames;
    for (const ExpositionSample* sample : families["node_hwmon_chip_names"])
        chipNames[sample->label("chip")] = sample->label("chip_name");
    std::map<Key, std::string_view> labels;
    for (const ExpositionSample* sample : families["node_hwmon_sensor_label"])
        labels[{sample->label("chip"), sample->label("sensor")}] = sample->label("label");
    const auto optionalOf = [](const std::map<Key, double>& values, const Key& key) {
        const auto found = values.find(key);
        return found != values.end() && std::isfinite(found->second) ? std::optional<double>(found->second)
                                                                      : std::nullopt;
    };

    QList<TemperatureReading> sensors;
    for (const ExpositionSample* sample : readings) {
        const Key key{sample->label("chip"), sample->label("sensor")};
        if (!std::isfinite(sample->value))
            continue;
        const auto chipName = chipNames.find(key.first);
        const auto label = labels.find(key);
        const std::string_view chip = chipName != chipNames.end() ? chipName->second : key.first;
        const std::string_view shown = label != labels.end() && !label->second.empty() ? label->second : key.second;
        sensors.append({QString::fromUtf8(chip.data(), static_cast<qsizetype>(chip.size())),
                        QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())), sample->value,
                        optionalOf(critical, key), optionalOf(maximum, key)});
    }
    page.temperatures = sensors;
}

// The exporter's power-supply figures in base units, back to the sysfs
// attributes (micro-units) they were read from, so that the battery is read
// exactly as this computer's.
struct SupplyFigure {
    std::string_view metric;
    const char* attribute;
    double scale;
};
constexpr std::array<SupplyFigure, 13> supplyFigures{{
    {"online", "online", 1},
    {"capacity", "capacity", 1},
    {"current_ampere", "current_now", 1e6},
    {"current_max", "current_max", 1e6},
    {"voltage_volt", "voltage_now", 1e6},
    {"voltage_max", "voltage_max", 1e6},
    {"power_watt", "power_now", 1e6},
    {"energy_watthour", "energy_now", 1e6},
    {"energy_full", "energy_full", 1e6},
    {"charge_ampere", "charge_now", 1e6},
    {"charge_full", "charge_full", 1e6},
    {"time_to_empty_seconds", "time_to_empty_now", 1},
    {"time_to_full_seconds", "time_to_full_now", 1},
}};

void readPower(const Families& families, NodePage& page)
{
    std::map<std::string, PowerSupply, std::less<>> supplies;
    const auto supply = [&](const ExpositionSample& sample) -> PowerSupply& {
        const std::string name(sample.label("power_supply"));
        PowerSupply& found = supplies[name];
        found.name = name;
        return found;
    };
    for (const ExpositionSample* sample : families["node_power_supply_info"]) {
        PowerSupply& target = supply(*sample);
        for (const auto& [key, value] : sample->labels) {
            if (key != "power_supply")
                target.attributes.insert_or_assign(key, value);
        }
    }
    families.forEachWithPrefix("node_power_supply_", [&](std::string_view metric, const Family& family) {
        const auto figure = std::find_if(supplyFigures.begin(), supplyFigures.end(),
                                         [&](const SupplyFigure& f) { return f.metric == metric; });
        for (const ExpositionSample* sample : family) {
            const double value = sample->value * (figure == supplyFigures.end() ? 1 : figure->scale);
            if (figure == supplyFigures.end() || !std::isfinite(value) || std::fabs(value) > 9e18)
                continue;
            supply(*sample).attributes.insert_or_assign(figure->attribute, std::to_string(std::llround(value)));
        }
    });
    if (supplies.empty() && !families.collectorRan("powersupplyclass"))
        return;
    std::vector<PowerSupply> list;
    for (auto& [name, found] : supplies)
        list.push_back(std::move(found));
    page.power = batteryRegistryFromSupplies(std::move(list));
}

template <typename Value>
void markAbsent(const std::optional<Value>& value, ReadingGroup group, SystemSnapshot& next)
{
    if (!value)
        next.absentReadings.insert(group);
}

void applyRates(const NodePage& page, const NodePage* previous, double seconds, SystemSnapshot& next)
{
    if (!previous)
        return;
    if (page.cpu && previous->cpu) {
        next.cpuPercent = cpuPercentBetween(previous->cpu, *page.cpu);
        next.cpuCorePercents.clear();
        for (size_t core = 0; core < page.cores.size(); ++core) {
            // A core brought on line since has no earlier reading.
            const bool known = page.cores.size() == previous->cores.size();
            next.cpuCorePercents.append(known ? cpuPercentBetween(previous->cores[core], page.cores[core]) : 0);
        }
    }
    seconds = std::max(seconds, 0.001);
    if (page.network && previous->network) {
        const NetworkRates rates = networkRatesBetween(*previous->network, *page.network, seconds);
        next.downloadBytesPerSecond = rates.download;
        next.uploadBytesPerSecond = rates.upload;
    }
    if (page.diskActivity && previous->diskActivity) {
        const NetworkRates rates = networkRatesBetween(*previous->diskActivity, *page.diskActivity, seconds);
        next.diskReadBytesPerSecond = rates.download;
        next.diskWriteBytesPerSecond = rates.upload;
    }
}

}  // namespace

bool NodePage::hasReadings() const
{
    return cpu || memory || swap || network || disk || diskActivity || load || temperatures || power;
}

NodePage readNodePage(const ExpositionPage& exposition)
{
    const Families families(exposition);
    NodePage page;
    readCpu(families, page);
    readMemory(families, page);
    readNetwork(families, page);
    readDisks(families, page);
    readLoad(families, page);
    readTemperatures(families, page);
    readPower(families, page);
    return page;
}

void applyNodePage(const NodePage& page, const NodePage* previous, double seconds, SystemSnapshot& next)
{
    // Rebuilt from the page alone, so that a group gone missing leaves nothing
    // stale behind; only the rates that cannot be measured this time are kept.
    SystemSnapshot fresh;
    if (page.cpu) {
        fresh.cpuPercent = next.cpuPercent;
        fresh.cpuCorePercents = next.cpuCorePercents;
    }
    if (page.network) {
        fresh.downloadBytesPerSecond = next.downloadBytesPerSecond;
        fresh.uploadBytesPerSecond = next.uploadBytesPerSecond;
    }
    if (page.diskActivity) {
        fresh.diskReadBytesPerSecond = next.diskReadBytesPerSecond;
        fresh.diskWriteBytesPerSecond = next.diskWriteBytesPerSecond;
    }
    applyRates(page, previous, seconds, fresh);
    if (page.cpu && fresh.cpuCorePercents.size() != static_cast<qsizetype>(page.cores.size()))
        fresh.cpuCorePercents = QList<double>(static_cast<qsizetype>(page.cores.size()), 0.0);

    if (page.memory)
        applyMemoryUsage(*page.memory, fresh);
    if (page.swap) {
        fresh.swapUsed = (*page.swap)[0];
        fresh.swapTotal = (*page.swap)[1];
    }
    if (page.disk) {
        fresh.diskPercent = page.disk->percent;
        fresh.diskUsed = page.disk->used;
        fresh.diskTotal = page.disk->total;
    }
    fresh.loadAverage = page.load;
    if (page.temperatures) {
        fresh.temperatures = *page.temperatures;
        if (const auto cpu = cpuTemperature(*page.temperatures)) {
            fresh.cpuTemperatureCelsius = cpu->celsius;
            fresh.cpuTemperatureCriticalCelsius = cpu->criticalCelsius;
        }
    }
    if (page.power)
        applyBatteryRegistry(*page.power, fresh);

    markAbsent(page.cpu, ReadingGroup::cpu, fresh);
    markAbsent(page.memory, ReadingGroup::memory, fresh);
    markAbsent(page.swap, ReadingGroup::swap, fresh);
    markAbsent(page.network, ReadingGroup::network, fresh);
    markAbsent(page.disk, ReadingGroup::disk, fresh);
    markAbsent(page.diskActivity, ReadingGroup::diskActivity, fresh);
    markAbsent(page.load, ReadingGroup::load, fresh);
    markAbsent(page.temperatures, ReadingGroup::temperatures, fresh);
    markAbsent(page.power, ReadingGroup::power, fresh);
    if (!page.power || !page.power->adapterDetails)
        fresh.absentReadings.insert(ReadingGroup::adapter);
    fresh.absentReadings.insert(ReadingGroup::processes);
    next = std::move(fresh);
}

std::optional<TemperatureReading> cpuTemperature(const QList<TemperatureReading>& sensors)
{
    const auto find = [&](auto matches) -> std::optional<TemperatureReading> {
        for (const TemperatureReading& sensor : sensors) {
            if (matches(sensor))
                return sensor;
        }
        return std::nullopt;
    };
    const auto isAmd = [](const TemperatureReading& s) { return s.chip == u"k10temp" || s.chip == u"zenpower"; };
    if (auto package = find([](const TemperatureReading& s) {
            return s.chip == u"coretemp" && s.label.startsWith(u"Package id");
        }))
        return package;
    if (auto die = find([&](const TemperatureReading& s) { return isAmd(s) && s.label == u"Tdie"; }))
        return die;
    if (auto control = find([&](const TemperatureReading& s) { return isAmd(s) && s.label == u"Tctl"; }))
        return control;
    std::optional<TemperatureReading> hottest;
    for (const TemperatureReading& sensor : sensors) {
        const bool isCpuChip = sensor.chip == u"coretemp" || isAmd(sensor) || sensor.chip == u"k8temp"
                               || sensor.chip == u"cpu_thermal" || sensor.chip == u"via_cputemp";
        if (isCpuChip && (!hottest || sensor.celsius > hottest->celsius))
            hottest = sensor;
    }
    return hottest;
}

}  // namespace moravel
