#include "monitor/remote/NodeExporterReadings.h"

#include "monitor/DiskUse.h"
#include "monitor/PowerRules.h"
#include "monitor/remote/MetricFamilies.h"
#include "monitor/remote/NodeExporterInterfaces.h"
#include "monitor/remote/NodeExporterSensors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

namespace moravel {

namespace {

std::optional<int> labelNumber(const NodeSample& sample, std::string_view key)
{
    const std::string_view text = sample.label(key);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

// The same busy and idle split as this computer's /proc/stat reading.
void readCpu(const MetricFamilies& families, NodePage& page)
{
    struct Seconds {
        double busy = 0;
        double idle = 0;
    };
    std::map<int, Seconds> cores;
    for (const NodeSample* sample : families["node_cpu_seconds_total"]) {
        const std::optional<int> core = labelNumber(*sample, "cpu");
        const std::string_view mode = sample->label("mode");
        if (!core || !std::isfinite(sample->value) || sample->value < 0)
            return;
        if (std::ranges::find(idleCpuModes, mode) != std::end(idleCpuModes))
            cores[*core].idle += sample->value;
        else if (std::ranges::find(busyCpuModes, mode) != std::end(busyCpuModes))
            cores[*core].busy += sample->value;
    }
    if (cores.empty())
        return;
    CpuTicks total;
    std::vector<CpuTicks> ticks;
    for (const auto& [number, seconds] : cores) {
        const auto used = wholeAmount(seconds.busy, 1000);
        const auto idle = wholeAmount(seconds.idle, 1000);
        CpuTicks core;
        // Counters past 64 bits of milliseconds are no machine's: nothing is read.
        if (!used || !idle || __builtin_add_overflow(*used, *idle, &core.total)
            || __builtin_add_overflow(total.used, *used, &total.used)
            || __builtin_add_overflow(total.total, core.total, &total.total))
            return;
        core.used = *used;
        ticks.push_back(core);
    }
    page.cores = std::move(ticks);
    page.cpu = total;
}

void readMemory(const MetricFamilies& families, NodePage& page)
{
    // The fields of /proc/meminfo the exporter passes on, read by the same rule as this computer's.
    const auto bytes = [&](std::string_view field) -> std::optional<uint64_t> {
        const std::optional<double> value = families.single(field);
        return value ? wholeAmount(*value) : std::nullopt;
    };
    const MeminfoFields fields{
        .total = bytes("node_memory_MemTotal_bytes"),
        .available = bytes("node_memory_MemAvailable_bytes"),
        .free = bytes("node_memory_MemFree_bytes"),
        .buffers = bytes("node_memory_Buffers_bytes"),
        .cached = bytes("node_memory_Cached_bytes"),
        .reclaimable = bytes("node_memory_SReclaimable_bytes"),
        .shmem = bytes("node_memory_Shmem_bytes"),
        .swapTotal = bytes("node_memory_SwapTotal_bytes"),
        .swapFree = bytes("node_memory_SwapFree_bytes"),
    };
    page.gauges.memory = memoryReadingOf(fields);
    page.gauges.swap = swapReadingOf(fields);
}

// Two counters per device (received and sent, read and written), by name;
// devices `counts` turns down are left out.
template <typename Counts>
std::optional<std::vector<DeviceCounters>> deviceCounters(Family first, Family second, Counts counts)
{
    if (first.empty())
        return std::nullopt;
    std::map<std::string_view, std::optional<uint64_t>> seconds;
    for (const NodeSample* sample : second)
        seconds[sample->label("device")] = wholeAmount(sample->value);
    std::vector<DeviceCounters> devices;
    for (const NodeSample* sample : first) {
        const std::string_view device = sample->label("device");
        const auto other = seconds.find(device);
        const std::optional<uint64_t> amount = wholeAmount(sample->value);
        if (device.empty() || other == seconds.end() || !other->second || !amount || !counts(device))
            continue;
        devices.push_back({std::string(device), *amount, *other->second});
    }
    // A device listed twice (a garbled page) counts once, as first listed.
    orderByName(devices);
    return devices;
}

// The interfaces this computer's rule counts (see countedInterfaces). An
// interface the netclass collector tells nothing of (the collector is off)
// counts as up and not backed by a device, loopback left out.
void readNetwork(const MetricFamilies& families, NodePage& page)
{
    auto listed = deviceCounters(families["node_network_receive_bytes_total"],
                                 families["node_network_transmit_bytes_total"], [](std::string_view) { return true; });
    if (!listed)
        return;
    const auto states = netclassInterfaceStates(families);
    page.network = countedInterfaces(std::move(*listed), [&](const std::string& device) -> std::optional<InterfaceState> {
        if (const auto known = states.find(device); known != states.end())
            return known->second;
        if (device == "lo")
            return std::nullopt;
        return InterfaceState{interfaceUpFlag, false};
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

void readDisks(const MetricFamilies& families, NodePage& page)
{
    const auto size = [&](const char* name) -> std::optional<uint64_t> {
        for (const NodeSample* sample : families[name]) {
            if (sample->label("mountpoint") == "/")
                return wholeAmount(sample->value);
        }
        return std::nullopt;
    };
    const auto total = size("node_filesystem_size_bytes");
    const auto free = size("node_filesystem_free_bytes");
    const auto available = size("node_filesystem_avail_bytes");
    if (total && free && available)
        page.gauges.disk = diskReadingFrom(*total, *free, *available);
    page.diskActivity = deviceCounters(families["node_disk_read_bytes_total"],
                                       families["node_disk_written_bytes_total"], isWholeDisk);
}

void readLoad(const MetricFamilies& families, NodePage& page)
{
    const auto one = families.single("node_load1");
    const auto five = families.single("node_load5");
    const auto fifteen = families.single("node_load15");
    if (one && five && fifteen)
        page.gauges.loadAverage = std::array<double, 3>{*one, *five, *fifteen};
}

// Both pages have the processor's counters.
CpuReading cpuReadingBetween(const NodePage& previous, const NodePage& page)
{
    CpuReading cpu{cpuPercentBetween(previous.cpu, *page.cpu), {}};
    // A core brought on line since has no earlier reading.
    const bool knownCores = page.cores.size() == previous.cores.size();
    for (size_t core = 0; core < page.cores.size(); ++core)
        cpu.corePercents.append(knownCores ? cpuPercentBetween(previous.cores[core], page.cores[core]) : 0);
    return cpu;
}

}  // namespace

NodePage readNodePage(const ExpositionPage& exposition)
{
    return readNodePage(MetricFamilies(exposition));
}

NodePage readNodePage(const MetricFamilies& families)
{
    NodePage page;
    readCpu(families, page);
    readMemory(families, page);
    readNetwork(families, page);
    readDisks(families, page);
    readLoad(families, page);
    page.gauges.temperatures = nodeSensors(families, SensorKind::temperature);
    page.gauges.fans = nodeSensors(families, SensorKind::fan);
    page.gauges.voltages = nodeSensors(families, SensorKind::voltage);
    if (const std::optional<BatteryRegistry> power = nodePowerSupplies(families))
        page.gauges.power = powerReadingOf(*power);
    return page;
}

SystemSnapshot snapshotOfNodePage(const NodePage& page, const NodePage* previous, double seconds)
{
    SystemSnapshot snapshot = page.gauges;
    // Loads and rates are measured between two pages: the first page, a
    // baseline, has none to show yet.
    if (!previous)
        return snapshot;
    // A counter the previous page lacked is a baseline too: not measured
    // yet, rather than a load or traffic of zero.
    if (page.cpu && previous->cpu)
        snapshot.cpu = cpuReadingBetween(*previous, page);
    if (page.network && previous->network) {
        const ByteRates rates = ratesBetween(*previous->network, *page.network, seconds);
        snapshot.network = NetworkReading{rates.in, rates.out};
    }
    if (page.diskActivity && previous->diskActivity) {
        const ByteRates rates = ratesBetween(*previous->diskActivity, *page.diskActivity, seconds);
        snapshot.diskActivity = DiskActivityReading{rates.in, rates.out};
    }
    return snapshot;
}

}  // namespace moravel
