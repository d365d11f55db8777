#include "monitor/linux/NvidiaLibrary.h"

#include "support/PrintableExcerpt.h"

#include <dlfcn.h>

#include <map>

namespace moravel {

namespace {

// The few parts of NVML's C interface used here, as its documentation
// declares them; the library is only ever looked up by these names.
using NvmlReturn = int;
constexpr NvmlReturn nvmlSuccess = 0;
using NvmlDevice = struct NvmlDeviceOpaque*;
struct NvmlUtilization {
    unsigned int gpu;
    unsigned int memory;
};
struct NvmlMemory {
    unsigned long long total;
    unsigned long long free;
    unsigned long long used;
};
constexpr int nvmlTemperatureGpu = 0;

struct NvmlFunctions {
    NvmlReturn (*init)();
    NvmlReturn (*shutdown)();
    NvmlReturn (*handleByPciBusId)(const char*, NvmlDevice*);
    NvmlReturn (*name)(NvmlDevice, char*, unsigned int);
    NvmlReturn (*utilization)(NvmlDevice, NvmlUtilization*);
    NvmlReturn (*memory)(NvmlDevice, NvmlMemory*);
    NvmlReturn (*temperature)(NvmlDevice, int, unsigned int*);
};

template <typename Function>
bool lookUp(void* library, const char* symbol, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(library, symbol));
    return function != nullptr;
}

class Nvml final : public NvidiaDevices {
public:
    Nvml(void* library, const NvmlFunctions& nvml) : library_(library), nvml_(nvml) {}
    ~Nvml() override
    {
        nvml_.shutdown();
        ::dlclose(library_);
    }

    std::optional<QString> name(const std::string& pciSlot) override
    {
        char text[96] = {};
        const auto device = deviceAt(pciSlot);
        if (!device || nvml_.name(*device, text, sizeof text - 1) != nvmlSuccess)
            return std::nullopt;
        return printableExcerpt(QString::fromUtf8(text), longestShownName);
    }

    NvidiaFigures figures(const std::string& pciSlot) override
    {
        NvidiaFigures figures;
        const auto device = deviceAt(pciSlot);
        if (!device)
            return figures;
        if (NvmlUtilization load{}; nvml_.utilization(*device, &load) == nvmlSuccess && load.gpu <= 100)
            figures.busyPercent = load.gpu;
        if (NvmlMemory memory{}; nvml_.memory(*device, &memory) == nvmlSuccess) {
            figures.memoryUsed = memory.used;
            figures.memoryTotal = memory.total;
        }
        if (unsigned int celsius = 0; nvml_.temperature(*device, nvmlTemperatureGpu, &celsius) == nvmlSuccess)
            figures.temperatureCelsius = celsius;
        return figures;
    }

private:
    std::optional<NvmlDevice> deviceAt(const std::string& pciSlot)
    {
        auto found = devices_.find(pciSlot);
        if (found == devices_.end()) {
            NvmlDevice device = nullptr;
            if (nvml_.handleByPciBusId(pciSlot.c_str(), &device) != nvmlSuccess)
                return std::nullopt;
            found = devices_.emplace(pciSlot, device).first;
        }
        return found->second;
    }

    void* library_;
    NvmlFunctions nvml_;
    std::map<std::string, NvmlDevice> devices_;
};

}  // namespace

std::unique_ptr<NvidiaDevices> loadNvidiaLibrary(const char* library)
{
    void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    NvmlFunctions nvml{};
    const bool complete = lookUp(handle, "nvmlInit_v2", nvml.init) && lookUp(handle, "nvmlShutdown", nvml.shutdown)
                          && lookUp(handle, "nvmlDeviceGetHandleByPciBusId_v2", nvml.handleByPciBusId)
                          && lookUp(handle, "nvmlDeviceGetName", nvml.name)
                          && lookUp(handle, "nvmlDeviceGetUtilizationRates", nvml.utilization)
                          && lookUp(handle, "nvmlDeviceGetMemoryInfo", nvml.memory)
                          && lookUp(handle, "nvmlDeviceGetTemperature", nvml.temperature);
    if (!complete || nvml.init() != nvmlSuccess) {
        ::dlclose(handle);
        return nullptr;
    }
    return std::make_unique<Nvml>(handle, nvml);
}

}  // namespace moravel
