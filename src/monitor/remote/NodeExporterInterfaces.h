#pragma once

#include "monitor/linux/NetworkCounters.h"
#include "monitor/remote/MetricFamilies.h"

#include <map>
#include <optional>
#include <string>

namespace moravel {

// What the node exporter's netclass collector publishes of one network
// interface (the attributes of /sys/class/net/NAME), as far as it does.
struct NetclassFigures {
    std::optional<double> flags;              // node_network_flags
    std::optional<double> index;              // node_network_iface_id: its own number
    std::optional<double> link;               // node_network_iface_link: the number of the one it rides on
    std::optional<double> nameAssignType;     // node_network_name_assign_type
    std::optional<double> addressAssignType;  // node_network_address_assign_type
    std::optional<double> protocolType;       // node_network_protocol_type: its kind of link layer
};

// Whether an interface is backed by a device, as this computer tells by the
// device link of /sys/class/net/NAME, which the exporter does not publish.
// Software leaves marks the exporter does: an interface is virtual when it
// rides on or pairs with another (veth, VLAN, macvlan, tunnels: its link is
// not itself), was named by whoever created it (bridges, veth, WireGuard:
// hardware is named by the kernel, then perhaps renamed), has an address its
// driver made up or took from another interface (veth, bridges, taps, bonds),
// or is the loopback or carries no link-layer header (tun, WireGuard). What
// the page leaves out marks nothing.
bool isBackedByDevice(const NetclassFigures& figures);

// The state of each interface whose flags the page publishes, by name, for
// countedInterfaces: another machine's interfaces follow this computer's rule.
std::map<std::string, InterfaceState, std::less<>> netclassInterfaceStates(const MetricFamilies& families);

}  // namespace moravel
