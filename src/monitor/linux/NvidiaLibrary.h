#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace moravel {

struct NvidiaFigures {
    std::optional<double> busyPercent;
    std::optional<uint64_t> memoryUsed;  // bytes
    std::optional<uint64_t> memoryTotal;
    std::optional<double> temperatureCelsius;

    friend bool operator==(const NvidiaFigures&, const NvidiaFigures&) = default;
};

// NVIDIA's GPUs as their proprietary driver reports them, by PCI slot
// ("0000:01:00.0"): the kernel exposes no load of its own for them.
class NvidiaDevices {
public:
    virtual ~NvidiaDevices() = default;
    virtual std::optional<QString> name(const std::string& pciSlot) = 0;
    virtual NvidiaFigures figures(const std::string& pciSlot) = 0;
};

// The driver's management library (NVML), loaded at run time from where the
// driver installed it: Moravel neither builds against it nor depends on it.
// Nothing when it is not installed, lacks a function Moravel calls, or
// cannot start (no NVIDIA driver running).
std::unique_ptr<NvidiaDevices> loadNvidiaLibrary(const char* library = "libnvidia-ml.so.1");

}  // namespace moravel
