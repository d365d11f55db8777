#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/linux/NvidiaLibrary.h"
#include "monitor/linux/SysfsDevices.h"
#include "monitor/linux/TextFile.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace moravel {

// One reading of a GPU's idle-residency counter: the milliseconds it has
// spent in its idle power state (Intel's RC6), and when it was read.
struct IdleResidency {
    uint64_t idleMilliseconds = 0;
    double atSeconds = 0;
};

// Busy share over the interval: 100 % less the idle share, within 0 to 100.
// Nothing without an earlier reading; 0 when the counter went back.
std::optional<double> busyPercentFromIdle(const std::optional<IdleResidency>& previous,
                                          const IdleResidency& current);

// The GPUs of <sys>/class/drm: each cardN (not its connectors cardN-*, not the
// render nodes), found once and again when the class directory changes.
//   - AMD (amdgpu): gpu_busy_percent and mem_info_vram_used/_total.
//   - Intel: busy from the idle-residency counter where the kernel has one
//     (i915's RC6, xe's gtidle), else no load.
//   - NVIDIA: through NVML when the driver installed it (opened once such a
//     GPU is awake), else no load.
//   - Any: temperature from the device's own hwmon temp1_input.
// A GPU that sleeps is reported idle and not woken to ask.
class GpuReader {
public:
    using NvidiaLoader = std::function<std::unique_ptr<NvidiaDevices>()>;

    // `pciIds`: the system's copies of the PCI id list, the first present
    // one naming the models.
    GpuReader(const std::string& sysRoot, std::vector<std::string> pciIds,
              NvidiaLoader loadNvidia = [] { return loadNvidiaLibrary(); });

    bool isDue(double monotonicSeconds) const { return !gpus_.empty() || directory_.isDue(monotonicSeconds); }
    QList<GpuReading> read(double monotonicSeconds);

private:
    struct Gpu {
        QString name;
        std::string pciSlot;
        bool isNvidia = false;
        RuntimePower power;
        std::optional<KernelFile> busy;
        std::optional<KernelFile> idleResidency;
        std::optional<KernelFile> memoryUsed;
        std::optional<KernelFile> memoryTotal;
        std::optional<KernelFile> temperature;
        std::optional<IdleResidency> previousIdle;
    };

    void discover(const std::vector<DeviceEntry>& entries);
    NvidiaDevices* nvidiaDevices();
    std::optional<Gpu> gpuAt(const std::string& card, const std::string& pciIds);
    GpuReading readGpu(Gpu& gpu, double monotonicSeconds);

    DeviceDirectory directory_;
    std::vector<std::string> pciIds_;
    NvidiaLoader loadNvidia_;
    std::unique_ptr<NvidiaDevices> nvidia_;
    bool triedNvidia_ = false;
    std::vector<Gpu> gpus_;
};

}  // namespace moravel
