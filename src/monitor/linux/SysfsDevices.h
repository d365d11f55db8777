#pragma once

#include "monitor/linux/TextFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// One numbered device entry of a class directory ("hwmon3", "card1").
struct DeviceEntry {
    std::string name;
    unsigned number = 0;

    friend bool operator==(const DeviceEntry&, const DeviceEntry&) = default;
};

// The `prefix`N entries among `names`, by number: "card10" after "card9", and
// "card0-eDP-1" or "renderD128" left out.
std::vector<DeviceEntry> numberedEntries(const std::vector<std::string>& names, std::string_view prefix);

// A class directory of devices (<sys>/class/hwmon, <sys>/class/drm) watched
// for devices that come and go, at next to no cost: its entries are listed
// again at most once a minute of the scheduler's clock, so a machine without
// such devices pays one directory listing a minute.
class DeviceDirectory {
public:
    static constexpr double lookAgainSeconds = 60;

    DeviceDirectory(std::string path, std::string prefix);

    // Whether the next look would list the directory again.
    bool isDue(double monotonicSeconds) const;
    // The device entries when they differ from the last look, or on the first
    // look; nothing when unchanged or not due.
    std::optional<std::vector<DeviceEntry>> changedEntries(double monotonicSeconds);
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string prefix_;
    std::optional<std::vector<DeviceEntry>> entries_;
    std::optional<double> lastLook_;
};

// A device's runtime power state (<device>/power/runtime_status). Reading a
// sleeping GPU's load or temperature wakes it, which on a laptop costs more
// power than the whole monitor, so its readers first ask whether it sleeps.
class RuntimePower {
public:
    // Follows `devicePath`'s state where the device manages its power at run time.
    explicit RuntimePower(const std::string& devicePath);
    bool isSuspended();

private:
    std::optional<KernelFile> status_;
};

}  // namespace moravel
