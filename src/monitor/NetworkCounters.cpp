#include "monitor/NetworkCounters.h"

#include <algorithm>

namespace moravel {

NetworkCounters::NetworkCounters(const std::string& procRoot, const std::string& sysRoot)
    : classNet_(sysRoot + "/class/net/"), netDev_(procRoot + "/net/dev")
{
}

std::optional<InterfaceState> NetworkCounters::stateOf(const std::string& name)
{
    auto found = interfaces_.find(name);
    if (found == interfaces_.end()) {
        const std::string base = classNet_ + name;
        found = interfaces_.emplace(name, Interface{KernelFile(base + "/flags"), pathExists(base + "/device")}).first;
    }
    const auto text = found->second.flags.read();
    const auto flags = text ? parseInterfaceFlags(*text) : std::nullopt;
    if (!flags) {
        interfaces_.erase(found);  // look it up afresh next time
        return std::nullopt;
    }
    return InterfaceState{*flags, found->second.hasDevice};
}

std::optional<NetworkTotals> NetworkCounters::read()
{
    const auto text = netDev_.read();
    const auto listed = text ? parseNetDev(*text) : std::vector<InterfaceCounters>{};
    if (listed.empty())
        return std::nullopt;
    // Forget interfaces that went away, closing their files.
    std::erase_if(interfaces_, [&](const auto& entry) {
        return std::none_of(listed.begin(), listed.end(),
                            [&](const InterfaceCounters& counters) { return counters.name == entry.first; });
    });
    return sumCountedInterfaces(listed, [this](const std::string& name) { return stateOf(name); });
}

}  // namespace moravel
