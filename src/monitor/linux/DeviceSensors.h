#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/GpuReader.h"
#include "monitor/linux/HwmonReader.h"

#include <string>
#include <vector>

namespace moravel {

// The temperature sensors and the GPUs, read together, away from the main
// thread: a sensor's driver may ask its device (an NVMe drive's log page, a
// SATA drive's SMART data), which takes milliseconds, and far longer for a
// device in trouble.
class DeviceSensors {
public:
    static std::vector<std::string> systemPciIds();

    DeviceSensors(const std::string& sysRoot, std::vector<std::string> pciIds = systemPciIds(),
                  GpuReader::NvidiaLoader loadNvidia = [] { return loadNvidiaLibrary(); });

    // False while there is nothing to read and no time yet to look for devices
    // again: a machine without sensors or GPUs then costs nothing.
    bool isDue(double monotonicSeconds) const
    {
        return hwmon_.isDue(monotonicSeconds) || gpus_.isDue(monotonicSeconds);
    }
    // Every sensor channel and every GPU; a machine without them gets
    // empty lists.
    SnapshotUpdate read(double monotonicSeconds);

private:
    HwmonReader hwmon_;
    GpuReader gpus_;
};

}  // namespace moravel
