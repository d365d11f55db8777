#include "monitor/linux/NetworkCounters.h"

#include "monitor/linux/TextFields.h"

#include <algorithm>
#include <charconv>

namespace moravel {

std::vector<DeviceCounters> parseNetDev(std::string_view text)
{
    std::vector<DeviceCounters> interfaces;
    forEachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return true;  // the two header lines
        const std::string_view name = trimmed(line.substr(0, colon));
        const auto values = splitFields(line.substr(colon + 1));
        // bytes packets errs drop fifo frame compressed multicast | bytes ...
        if (name.empty() || values.size() < 9)
            return true;
        const auto received = parseUnsigned(values[0]);
        const auto sent = parseUnsigned(values[8]);
        if (received && sent)
            interfaces.push_back(DeviceCounters{std::string(name), *received, *sent});
        return true;
    });
    return interfaces;
}

std::optional<unsigned> parseInterfaceFlags(std::string_view text)
{
    text = trimmed(text);
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

NetworkCounters::NetworkCounters(const std::string& procRoot, const std::string& sysRoot)
    : classNet_(sysRoot + "/class/net/"), netDev_(procRoot + "/net/dev")
{
}

std::optional<InterfaceState> NetworkCounters::stateOf(const std::string& name)
{
    const std::string base = classNet_ + name;
    const auto text = readTextFile(base + "/flags", 64);
    const auto flags = text ? parseInterfaceFlags(*text) : std::nullopt;
    if (!flags)
        return std::nullopt;  // not marked seen: looked up afresh next time
    auto found = known_.find(name);
    if (found == known_.end())
        found = known_.emplace(name, Known{pathExists(base + "/device"), 0}).first;
    found->second.seenInReading = reading_;
    return InterfaceState{*flags, found->second.hasDevice};
}

std::optional<std::vector<DeviceCounters>> NetworkCounters::read()
{
    const auto text = netDev_.read();
    auto listed = text ? parseNetDev(*text) : std::vector<DeviceCounters>{};
    if (listed.empty())
        return std::nullopt;
    ++reading_;
    auto counted = countedInterfaces(std::move(listed), [this](const std::string& name) { return stateOf(name); });
    // Forget interfaces that went away.
    std::erase_if(known_, [this](const auto& entry) { return entry.second.seenInReading != reading_; });
    orderByName(counted);
    return counted;
}

NetworkReader::NetworkReader(const std::string& procRoot, const std::string& sysRoot) : counters_(procRoot, sysRoot) {}

SnapshotUpdate NetworkReader::read(double monotonicSeconds)
{
    auto counted = counters_.read();
    if (!counted)
        return {};
    const ByteRates rates = rates_.next(*counted, monotonicSeconds);
    // The first reading is only a baseline: no rate to show yet.
    if (!rates_.isMeasured())
        return {};
    return [rates](SystemSnapshot& next) { next.network = NetworkReading{rates.in, rates.out}; };
}

}  // namespace moravel
