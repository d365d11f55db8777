#include "monitor/NetworkCounters.h"

#include <algorithm>

namespace moravel {

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

std::optional<std::vector<InterfaceCounters>> NetworkCounters::read()
{
    const auto text = netDev_.read();
    auto listed = text ? parseNetDev(*text) : std::vector<InterfaceCounters>{};
    if (listed.empty())
        return std::nullopt;
    ++reading_;
    auto counted = countedInterfaces(std::move(listed), [this](const std::string& name) { return stateOf(name); });
    // Forget interfaces that went away.
    std::erase_if(known_, [this](const auto& entry) { return entry.second.seenInReading != reading_; });
    std::sort(counted.begin(), counted.end(),
              [](const InterfaceCounters& a, const InterfaceCounters& b) { return a.name < b.name; });
    return counted;
}

}  // namespace moravel
