#pragma once

#include "monitor/TelemetrySource.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// One entry of <sys>/class/power_supply: its directory name and its
// attributes by their file names ("type", "status", "current_now", ...).
struct PowerSupply {
    std::string name;
    std::map<std::string, std::string, std::less<>> attributes;

    std::string_view text(std::string_view key) const;
    // The attribute as an integer; nothing when missing or not a sound number.
    std::optional<int64_t> number(std::string_view key) const;
};

// A sysfs integer attribute. Drivers and copied trees hand us empty files,
// "N/A", hex, decimals and 20-digit junk; all of that is "not a number".
// A leading minus is kept: some drivers report discharge current that way.
std::optional<int64_t> parseSupplyNumber(std::string_view text);

// POWER_SUPPLY_* lines of a supply's uevent file, keyed like the attribute
// files (POWER_SUPPLY_VOLTAGE_NOW becomes "voltage_now").
std::map<std::string, std::string, std::less<>> parseSupplyUevent(std::string_view text);

// The battery controller's view of the machine, built from every supply found.
// The computer's own batteries count together; peripherals' stay out. With no
// battery of its own the computer is on external power.
BatteryRegistry batteryRegistryFromSupplies(std::vector<PowerSupply> supplies);

// Every supply under <sysRoot>/class/power_supply, attributes from the
// uevent file where it has them and the single files otherwise.
std::vector<PowerSupply> readPowerSupplies(const std::string& sysRoot);

BatteryRegistry readBatteryRegistry(const std::string& sysRoot);

}  // namespace moravel
