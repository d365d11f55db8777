#include "monitor/linux/DiskIoReader.h"

#include "monitor/linux/TextFields.h"

#include <algorithm>

namespace moravel {

namespace {

// /proc/diskstats counts 512-byte sectors, whatever the device's own sector size.
constexpr uint64_t bytesPerSector = 512;

}  // namespace

void parseDiskstats(std::string_view text, const std::function<bool(std::string_view)>& counts,
                    std::vector<DeviceCounters>& disks)
{
    disks.clear();
    forEachLine(text, [&](std::string_view line) {
        // major minor name reads merged sectors ms writes merged sectors ...
        FieldCursor fields(line);
        fields.skip(2);
        const std::string_view name = fields.next();
        fields.skip(2);
        const auto read = fields.nextUnsigned();
        fields.skip(3);
        const auto written = fields.nextUnsigned();
        // Sector counts past what 64 bits of bytes hold are no disk's.
        const auto bytes = [](uint64_t sectors) { return sectors <= UINT64_MAX / bytesPerSector; };
        if (!name.empty() && read && written && bytes(*read) && bytes(*written) && counts(name))
            disks.push_back(DeviceCounters{std::string(name), *read * bytesPerSector, *written * bytesPerSector});
        return true;
    });
}

DiskIoReader::DiskIoReader(const std::string& procRoot, const std::string& sysRoot)
    : sysBlock_(sysRoot + "/block/"), diskstats_(procRoot + "/diskstats")
{
}

bool DiskIoReader::isWholeDisk(std::string_view name)
{
    auto found = known_.find(name);
    if (found == known_.end()) {
        // sysfs spells a '/' in a device name (cciss/c0d0) as '!'.
        std::string entry(name);
        std::replace(entry.begin(), entry.end(), '/', '!');
        found = known_.emplace(std::string(name), Known{pathExists(sysBlock_ + entry + "/device"), 0}).first;
    }
    found->second.seenInReading = reading_;
    return found->second.isWholeDisk;
}

SnapshotUpdate DiskIoReader::read(double monotonicSeconds)
{
    const auto text = diskstats_.read();
    if (!text)
        return {};
    ++reading_;
    parseDiskstats(*text, [this](std::string_view name) { return isWholeDisk(name); }, disks_);
    // Forget devices that went away: a new one may take the name.
    std::erase_if(known_, [this](const auto& entry) { return entry.second.seenInReading != reading_; });
    orderByName(disks_);
    const ByteRates rates = rates_.next(disks_, monotonicSeconds);
    // The first reading is only a baseline: no rate to show yet.
    if (!rates_.isMeasured())
        return {};
    return [rates](SystemSnapshot& next) { next.diskActivity = DiskActivityReading{rates.in, rates.out}; };
}

}  // namespace moravel
