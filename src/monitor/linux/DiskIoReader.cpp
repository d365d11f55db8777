#include "monitor/linux/DiskIoReader.h"

#include "monitor/linux/TextFields.h"

#include <algorithm>

namespace moravel {

namespace {

constexpr double bytesPerSector = 512;

}  // namespace

void parseDiskstats(std::string_view text, const std::function<bool(std::string_view)>& counts,
                    std::vector<DiskCounters>& disks)
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
        if (!name.empty() && read && written && counts(name))
            disks.push_back(DiskCounters{std::string(name), *read, *written});
        return true;
    });
}

void orderByName(std::vector<DiskCounters>& disks)
{
    const auto byName = [](const DiskCounters& a, const DiskCounters& b) { return a.name < b.name; };
    std::stable_sort(disks.begin(), disks.end(), byName);
    const auto sameName = [](const DiskCounters& a, const DiskCounters& b) { return a.name == b.name; };
    disks.erase(std::unique(disks.begin(), disks.end(), sameName), disks.end());
}

DiskRates diskRatesBetween(const std::vector<DiskCounters>& previous, const std::vector<DiskCounters>& current,
                           double seconds)
{
    double read = 0;
    double written = 0;
    auto before = previous.begin();
    for (const DiskCounters& now : current) {
        before = std::find_if(before, previous.end(), [&](const DiskCounters& d) { return d.name >= now.name; });
        if (before == previous.end())
            break;
        if (before->name != now.name)
            continue;
        if (now.sectorsRead >= before->sectorsRead)
            read += static_cast<double>(now.sectorsRead - before->sectorsRead);
        if (now.sectorsWritten >= before->sectorsWritten)
            written += static_cast<double>(now.sectorsWritten - before->sectorsWritten);
    }
    return {read * bytesPerSector / seconds, written * bytesPerSector / seconds};
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
    parseDiskstats(*text, [this](std::string_view name) { return isWholeDisk(name); }, current_);
    // Forget devices that went away: a new one may take the name.
    std::erase_if(known_, [this](const auto& entry) { return entry.second.seenInReading != reading_; });
    orderByName(current_);

    DiskRates rates;
    isMeasured_ = previousTime_.has_value();
    if (previousTime_)
        rates = diskRatesBetween(previous_, current_, std::max(monotonicSeconds - *previousTime_, 0.001));
    std::swap(previous_, current_);
    previousTime_ = monotonicSeconds;
    // The first reading is only a baseline: no rate to show yet.
    if (!isMeasured_)
        return {};
    return [rates](SystemSnapshot& next) { next.diskActivity = DiskActivityReading{rates.read, rates.write}; };
}

}  // namespace moravel
