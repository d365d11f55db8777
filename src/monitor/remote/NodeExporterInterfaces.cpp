#include "monitor/remote/NodeExporterInterfaces.h"

#include <climits>
#include <cmath>

namespace moravel {

namespace {

// The kernel's own numbers for these marks (include/uapi/linux/netdevice.h,
// if_arp.h), as the exporter passes them on.
constexpr double nameGivenByItsCreator = 3;  // NET_NAME_USER
constexpr double addressMadeUp = 1;          // NET_ADDR_RANDOM
constexpr double addressTaken = 2;           // NET_ADDR_STOLEN
constexpr double loopback = 772;             // ARPHRD_LOOPBACK
constexpr double noLinkLayerHeader = 65534;  // ARPHRD_NONE

bool is(std::optional<double> figure, double mark)
{
    return figure && *figure == mark;
}

}  // namespace

bool isBackedByDevice(const NetclassFigures& figures)
{
    const bool ridesOnAnother = figures.index && figures.link && *figures.index != *figures.link;
    return !ridesOnAnother && !is(figures.nameAssignType, nameGivenByItsCreator)
           && !is(figures.addressAssignType, addressMadeUp) && !is(figures.addressAssignType, addressTaken)
           && !is(figures.protocolType, loopback) && !is(figures.protocolType, noLinkLayerHeader);
}

std::map<std::string, InterfaceState, std::less<>> netclassInterfaceStates(const MetricFamilies& families)
{
    std::map<std::string_view, NetclassFigures> byDevice;
    const auto gather = [&](const char* metric, std::optional<double> NetclassFigures::*figure) {
        for (const NodeSample* sample : families[metric]) {
            if (std::isfinite(sample->value))
                byDevice[sample->label("device")].*figure = sample->value;
        }
    };
    gather("node_network_flags", &NetclassFigures::flags);
    gather("node_network_iface_id", &NetclassFigures::index);
    gather("node_network_iface_link", &NetclassFigures::link);
    gather("node_network_name_assign_type", &NetclassFigures::nameAssignType);
    gather("node_network_address_assign_type", &NetclassFigures::addressAssignType);
    gather("node_network_protocol_type", &NetclassFigures::protocolType);

    std::map<std::string, InterfaceState, std::less<>> states;
    for (const auto& [device, figures] : byDevice) {
        const std::optional<uint64_t> flags = figures.flags ? wholeAmount(*figures.flags) : std::nullopt;
        if (flags && *flags <= UINT_MAX)
            states.emplace(device, InterfaceState{static_cast<unsigned>(*flags), isBackedByDevice(figures)});
    }
    return states;
}

}  // namespace moravel
