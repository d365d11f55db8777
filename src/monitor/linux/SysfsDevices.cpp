#include "monitor/linux/SysfsDevices.h"

#include <algorithm>
#include <charconv>

namespace moravel {

std::vector<DeviceEntry> numberedEntries(const std::vector<std::string>& names, std::string_view prefix)
{
    std::vector<DeviceEntry> entries;
    for (const std::string& name : names) {
        if (!name.starts_with(prefix) || name.size() == prefix.size())
            continue;
        unsigned number = 0;
        const char* end = name.data() + name.size();
        const auto [stop, error] = std::from_chars(name.data() + prefix.size(), end, number);
        if (error == std::errc() && stop == end)
            entries.push_back({name, number});
    }
    std::sort(entries.begin(), entries.end(),
              [](const DeviceEntry& a, const DeviceEntry& b) { return a.number < b.number; });
    return entries;
}

DeviceDirectory::DeviceDirectory(std::string path, std::string prefix)
    : path_(std::move(path)), prefix_(std::move(prefix))
{
}

bool DeviceDirectory::isDue(double monotonicSeconds) const
{
    return !lastLook_ || monotonicSeconds - *lastLook_ >= lookAgainSeconds || monotonicSeconds < *lastLook_;
}

std::optional<std::vector<DeviceEntry>> DeviceDirectory::changedEntries(double monotonicSeconds)
{
    if (!isDue(monotonicSeconds))
        return std::nullopt;
    lastLook_ = monotonicSeconds;
    std::vector<DeviceEntry> entries = numberedEntries(directoryEntries(path_), prefix_);
    if (entries_ == entries)
        return std::nullopt;
    entries_ = entries;
    return entries;
}

RuntimePower::RuntimePower(const std::string& devicePath)
{
    KernelFile status(devicePath + "/power/runtime_status", KernelFile::Kind::attribute);
    const auto text = status.read();
    // "unsupported": the device never sleeps on its own, so it is never asked again.
    if (text && trimmed(*text) != "unsupported")
        status_.emplace(std::move(status));
}

bool RuntimePower::isSuspended()
{
    if (!status_)
        return false;
    const auto text = status_->read();
    // "suspending" too: a read now would call the device back.
    return text && trimmed(*text).starts_with("suspend");
}

}  // namespace moravel
