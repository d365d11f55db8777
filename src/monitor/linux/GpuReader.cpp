#include "monitor/linux/GpuReader.h"

#include "monitor/linux/GpuNames.h"
#include "monitor/linux/HwmonReader.h"
#include "monitor/linux/TextFields.h"

#include <algorithm>
#include <array>

namespace moravel {

namespace {

// Firmware framebuffers and a test driver: a card, but no GPU.
constexpr std::array<std::string_view, 3> notGpus{"simpledrm", "ofdrm", "vkms"};

std::optional<KernelFile> fileIfPresent(const std::string& path)
{
    if (!pathExists(path))
        return std::nullopt;
    return std::optional<KernelFile>(std::in_place, path, KernelFile::Kind::attribute);
}

// A GPU's own temperature: the first temperature of its first hwmon chip.
std::optional<KernelFile> temperatureFile(const std::string& device)
{
    const std::vector<DeviceEntry> chips = numberedEntries(directoryEntries(device + "/hwmon"), "hwmon");
    if (chips.empty())
        return std::nullopt;
    return fileIfPresent(device + "/hwmon/" + chips.front().name + "/temp1_input");
}

std::optional<uint64_t> readNumber(std::optional<KernelFile>& file)
{
    const auto text = file ? file->read() : std::nullopt;
    return text ? parseWholeUnsigned(*text) : std::nullopt;
}

std::string readPciIds(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        if (auto text = readTextFile(path, 16 << 20))
            return std::move(*text);
    }
    return {};
}

}  // namespace

std::optional<double> busyPercentFromIdle(const std::optional<IdleResidency>& previous,
                                          const IdleResidency& current)
{
    if (!previous || !(current.atSeconds > previous->atSeconds))
        return std::nullopt;
    if (current.idleMilliseconds < previous->idleMilliseconds)
        return 0;
    const double idle = static_cast<double>(current.idleMilliseconds - previous->idleMilliseconds) / 1000.0;
    return std::clamp(100.0 - idle / (current.atSeconds - previous->atSeconds) * 100.0, 0.0, 100.0);
}

GpuReader::GpuReader(const std::string& sysRoot, std::vector<std::string> pciIds, NvidiaLoader loadNvidia)
    : directory_(sysRoot + "/class/drm", "card"), pciIds_(std::move(pciIds)), loadNvidia_(std::move(loadNvidia))
{
}

NvidiaDevices* GpuReader::nvidiaDevices()
{
    // Loaded once, and only once an NVIDIA GPU is awake: starting the library
    // would wake a sleeping one.
    if (!triedNvidia_) {
        triedNvidia_ = true;
        nvidia_ = loadNvidia_ ? loadNvidia_() : nullptr;
    }
    return nvidia_.get();
}

std::optional<GpuReader::Gpu> GpuReader::gpuAt(const std::string& card, const std::string& pciIds)
{
    const std::string base = directory_.path() + '/' + card;
    const std::string device = base + "/device";
    if (!pathExists(device))
        return std::nullopt;
    const auto uevent = readTextFile(device + "/uevent", 4096);
    const DeviceIdentity identity = parseDeviceUevent(uevent.value_or(std::string()));
    if (std::find(notGpus.begin(), notGpus.end(), identity.driver) != notGpus.end())
        return std::nullopt;

    Gpu gpu{{}, identity.pciSlot, identity.driver == "nvidia", RuntimePower(device), {}, {}, {}, {}, {}, {}};
    std::optional<QString> name;
    if (NvidiaDevices* nvidia = gpu.isNvidia && !gpu.power.isSuspended() ? nvidiaDevices() : nullptr)
        name = nvidia->name(gpu.pciSlot);
    const auto listed = identity.pciId ? listedPciDevice(pciIds, *identity.pciId) : std::nullopt;
    gpu.name = name.value_or(gpuName(identity, listed, card));

    gpu.busy = fileIfPresent(device + "/gpu_busy_percent");
    for (const char* idle : {"/gt/gt0/rc6_residency_ms", "/power/rc6_residency_ms"}) {
        if (!gpu.idleResidency)
            gpu.idleResidency = fileIfPresent(base + idle);
    }
    if (!gpu.idleResidency)
        gpu.idleResidency = fileIfPresent(device + "/tile0/gt0/gtidle/idle_residency_ms");
    gpu.memoryUsed = fileIfPresent(device + "/mem_info_vram_used");
    gpu.memoryTotal = fileIfPresent(device + "/mem_info_vram_total");
    gpu.temperature = temperatureFile(device);
    return gpu;
}

void GpuReader::discover(const std::vector<DeviceEntry>& entries)
{
    gpus_.clear();
    // The id list is large: read only while naming, and only when there is a card to name.
    const std::string pciIds = entries.empty() ? std::string() : readPciIds(pciIds_);
    for (const DeviceEntry& entry : entries) {
        if (auto gpu = gpuAt(entry.name, pciIds))
            gpus_.push_back(std::move(*gpu));
    }
}

GpuReading GpuReader::readGpu(Gpu& gpu, double monotonicSeconds)
{
    GpuReading reading{gpu.name, {}, {}, {}, {}};
    if (gpu.power.isSuspended()) {
        reading.busyPercent = 0;
        gpu.previousIdle.reset();  // its counter may not run while it sleeps
        return reading;
    }
    if (NvidiaDevices* nvidia = gpu.isNvidia ? nvidiaDevices() : nullptr) {
        const NvidiaFigures figures = nvidia->figures(gpu.pciSlot);
        reading.busyPercent = figures.busyPercent;
        reading.memoryUsed = figures.memoryUsed;
        reading.memoryTotal = figures.memoryTotal;
        reading.temperatureCelsius = figures.temperatureCelsius;
    }
    if (const auto busy = readNumber(gpu.busy); busy && *busy <= 100)
        reading.busyPercent = static_cast<double>(*busy);
    if (const auto idle = readNumber(gpu.idleResidency)) {
        const IdleResidency now{*idle, monotonicSeconds};
        reading.busyPercent = busyPercentFromIdle(gpu.previousIdle, now);
        gpu.previousIdle = now;
    }
    if (const auto used = readNumber(gpu.memoryUsed))
        reading.memoryUsed = used;
    if (const auto total = readNumber(gpu.memoryTotal))
        reading.memoryTotal = total;
    const auto temperature = gpu.temperature ? gpu.temperature->read() : std::nullopt;
    if (const auto celsius = temperature ? parseHwmonValue(*temperature, sensorChannel(SensorKind::temperature).fileUnits) : std::nullopt)
        reading.temperatureCelsius = celsius;
    return reading;
}

QList<GpuReading> GpuReader::read(double monotonicSeconds)
{
    if (auto entries = directory_.changedEntries(monotonicSeconds))
        discover(*entries);
    QList<GpuReading> readings;
    for (Gpu& gpu : gpus_)
        readings.append(readGpu(gpu, monotonicSeconds));
    return readings;
}

}  // namespace moravel
