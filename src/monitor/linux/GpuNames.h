#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moravel {

struct PciId {
    uint16_t vendor = 0;
    uint16_t device = 0;

    friend bool operator==(const PciId&, const PciId&) = default;
};

// What a device's uevent file says of it.
struct DeviceIdentity {
    std::string driver;          // DRIVER: "amdgpu", "i915", "nvidia", ...
    std::optional<PciId> pciId;  // PCI_ID, for PCI devices
    std::string pciSlot;         // PCI_SLOT_NAME: "0000:01:00.0"

    friend bool operator==(const DeviceIdentity&, const DeviceIdentity&) = default;
};

DeviceIdentity parseDeviceUevent(std::string_view text);

// The device's own line in a pci.ids list (the system's copy, when there is
// one), such as "Navi 21 [Radeon RX 6800/6800 XT / 6900 XT]"; nothing when
// it is not listed.
std::optional<std::string_view> listedPciDevice(std::string_view pciIds, PciId id);

// A GPU's name for people: the vendor and the marketing name of its listed
// model ("AMD Radeon RX 6800/6800 XT / 6900 XT"), else the vendor ("Intel
// GPU"), else the driver, else the card's own name.
QString gpuName(const DeviceIdentity& identity, std::optional<std::string_view> listedDevice,
                const std::string& card);

}  // namespace moravel
