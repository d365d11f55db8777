#include "monitor/linux/PowerSupplyReader.h"

#include "monitor/linux/TextFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace moravel {

namespace {

// Ten billion micro-units (10 kA, 10 kV, 10 kW, 10 kWh) is far beyond any
// laptop; bigger figures are a broken driver or a corrupted copy.
constexpr int64_t largestSoundValue = 10'000'000'000;

constexpr std::array<std::string_view, 5> adapterTypes{"Mains", "USB", "USB_C", "USB_PD", "USB_PD_DRP"};

// What Moravel reads of a supply; the single files are only opened for these.
constexpr std::array<const char*, 16> wantedAttributes{
    "type",        "scope",      "online",      "status",    "capacity",    "energy_now",
    "energy_full", "charge_now", "charge_full", "power_now", "current_now", "voltage_now",
    "voltage_max", "current_max", "time_to_empty_now", "time_to_full_now"};

bool isComputerSupply(const PowerSupply& supply)
{
    return supply.text("scope") != "Device";
}

bool isAdapter(const PowerSupply& supply)
{
    const std::string_view type = supply.text("type");
    return isComputerSupply(supply) && std::find(adapterTypes.begin(), adapterTypes.end(), type) != adapterTypes.end();
}

bool isOnline(const PowerSupply& supply)
{
    const auto online = supply.number("online");
    return online && *online > 0;  // USB type-C reports 2 for a programmable source
}

// The computer's own batteries (an internal one and a bay battery, say), by name.
using Batteries = std::vector<const PowerSupply*>;

// No battery delivers or takes a kilowatt: such a figure is a broken driver.
constexpr double largestSoundWatts = 1000;

// One attribute added up over the batteries; nothing unless every battery
// gives it. `magnitudes` adds rates whose sign is only a driver's convention.
std::optional<double> summed(const Batteries& batteries, std::string_view key, bool magnitudes = false)
{
    double sum = 0;
    for (const PowerSupply* battery : batteries) {
        const auto value = battery->number(key);
        if (!value || (*value < 0 && !magnitudes))
            return std::nullopt;
        sum += std::fabs(static_cast<double>(*value));
    }
    return sum;
}

std::optional<double> difference(std::optional<double> full, std::optional<double> now)
{
    if (!full || !now)
        return std::nullopt;
    return *full - *now;
}

// Minutes for `amount` (µWh or µAh) at `rate` (µW or µA); nothing without both.
std::optional<double> hoursToMinutes(std::optional<double> amount, std::optional<double> rate)
{
    if (!amount || !rate || *rate == 0 || *amount < 0)
        return std::nullopt;
    return *amount / *rate * 60.0;
}

int64_t roundedMinutes(std::optional<double> minutes)
{
    if (!minutes || !std::isfinite(*minutes))
        return 0;
    // Anything past the registry's largest figure reads as "not known" later on.
    return static_cast<int64_t>(std::llround(std::min(*minutes, 65535.0)));
}

bool anyStatus(const Batteries& batteries, std::string_view status)
{
    return std::any_of(batteries.begin(), batteries.end(),
                       [&](const PowerSupply* battery) { return battery->text("status") == status; });
}

// Charging while any battery charges and none discharges.
bool isCharging(const Batteries& batteries)
{
    return anyStatus(batteries, "Charging") && !anyStatus(batteries, "Discharging");
}

int64_t timeRemaining(const Batteries& batteries)
{
    const bool charging = isCharging(batteries);
    if (!charging && !anyStatus(batteries, "Discharging"))
        return 0;
    // A lone battery's driver estimate is usually averaged; prefer it where it is given.
    if (batteries.size() == 1) {
        const auto driverSeconds = batteries[0]->number(charging ? "time_to_full_now" : "time_to_empty_now");
        if (driverSeconds && *driverSeconds > 0)
            return roundedMinutes(static_cast<double>(*driverSeconds) / 60.0);
    }
    const auto left = [&](const char* nowKey, const char* fullKey) {
        const auto now = summed(batteries, nowKey);
        return charging ? difference(summed(batteries, fullKey), now) : now;
    };
    if (auto minutes = hoursToMinutes(left("energy_now", "energy_full"), summed(batteries, "power_now", true)))
        return roundedMinutes(minutes);
    return roundedMinutes(hoursToMinutes(left("charge_now", "charge_full"), summed(batteries, "current_now", true)));
}

std::optional<int64_t> ratioPercent(std::optional<double> now, std::optional<double> full)
{
    if (!now || !full || *full <= 0)
        return std::nullopt;
    // Worn batteries can hold more than their last "full" figure.
    return std::min<int64_t>(std::llround(*now / *full * 100.0), 100);
}

// Nothing where no figure tells it (no capacity, nothing full): never a made-up 0.
std::optional<int64_t> ownPercent(const PowerSupply& battery)
{
    if (const auto capacity = battery.number("capacity"); capacity && *capacity >= 0)
        return std::min<int64_t>(*capacity, 100);
    const Batteries alone{&battery};
    if (const auto percent = ratioPercent(summed(alone, "energy_now"), summed(alone, "energy_full")))
        return percent;
    return ratioPercent(summed(alone, "charge_now"), summed(alone, "charge_full"));
}

// Several batteries count as one, as the desktop's own power indicator shows
// them: what they hold together over what they hold when full. Nothing while
// any battery's level is unknown.
std::optional<int64_t> capacityPercent(const Batteries& batteries)
{
    if (batteries.size() == 1)
        return ownPercent(*batteries[0]);
    if (const auto percent = ratioPercent(summed(batteries, "energy_now"), summed(batteries, "energy_full")))
        return percent;
    if (const auto percent = ratioPercent(summed(batteries, "charge_now"), summed(batteries, "charge_full")))
        return percent;
    // Their own percentages, weighted by the energy each holds when full
    // where every battery tells it, else alike.
    const bool weighted = summed(batteries, "energy_full").value_or(0) > 0;
    double sum = 0;
    double weights = 0;
    for (const PowerSupply* battery : batteries) {
        const std::optional<int64_t> percent = ownPercent(*battery);
        if (!percent)
            return std::nullopt;
        const double weight = weighted ? static_cast<double>(*battery->number("energy_full")) : 1.0;
        sum += weight * static_cast<double>(*percent);
        weights += weight;
    }
    return std::llround(sum / weights);
}

bool externalPowerConnected(const std::vector<PowerSupply>& supplies, const Batteries& batteries)
{
    bool hasAdapter = false;
    for (const PowerSupply& supply : supplies) {
        if (!isAdapter(supply))
            continue;
        hasAdapter = true;
        if (isOnline(supply))
            return true;
    }
    if (hasAdapter)
        return false;
    // Machines whose charger has no supply entry still tell from the batteries.
    if (anyStatus(batteries, "Discharging"))
        return false;
    return anyStatus(batteries, "Charging") || anyStatus(batteries, "Full") || anyStatus(batteries, "Not charging");
}

// The power a battery gives or takes, in µW: current x voltage, or the
// driver's power figure. Nothing when unknown or past a kilowatt.
std::optional<double> batteryMicrowatts(const PowerSupply& battery)
{
    const auto current = battery.number("current_now");
    const auto voltage = battery.number("voltage_now");
    const auto power = battery.number("power_now");
    std::optional<double> microwatts;
    if (current && voltage)
        microwatts = std::fabs(static_cast<double>(*current) * static_cast<double>(*voltage)) / 1e6;  // µA x µV = pW
    else if (power)
        microwatts = std::fabs(static_cast<double>(*power));
    if (!microwatts || *microwatts > largestSoundWatts * 1e6)
        return std::nullopt;
    return microwatts;
}

void readBatteryPower(const Batteries& batteries, BatteryRegistry& registry)
{
    double microwatts = 0;
    for (const PowerSupply* battery : batteries)
        microwatts += batteryMicrowatts(*battery).value_or(0);
    // The registry speaks in milliamperes and millivolts (mA x mV = µW): the
    // batteries' power at the first one's voltage, or at 1 V where it is unknown.
    const auto voltage = batteries.front()->number("voltage_now");
    registry.voltageMillivolts = voltage && *voltage > 0 ? static_cast<double>(*voltage) / 1000.0 : 1000.0;
    registry.amperageMilliamps = microwatts / registry.voltageMillivolts;
}

double magnitudeOfProduct(int64_t a, int64_t b)
{
    return std::fabs(static_cast<double>(a) * static_cast<double>(b));
}

void readAdapter(const PowerSupply& adapter, BatteryRegistry& registry)
{
    const auto voltageNow = adapter.number("voltage_now");
    const auto currentNow = adapter.number("current_now");
    const auto voltageMax = adapter.number("voltage_max");
    const auto currentMax = adapter.number("current_max");
    // µV x µA / 10^9 = mW; the sign of an input current is only the driver's convention.
    if (voltageNow && currentNow)
        registry.systemPowerInMilliwatts = magnitudeOfProduct(*voltageNow, *currentNow) / 1e9;
    if (!voltageNow && !currentNow && !(voltageMax && currentMax))
        return;
    BatteryRegistry::AdapterDetails details;
    if (voltageMax && currentMax)
        details.watts = std::llround(magnitudeOfProduct(*voltageMax, *currentMax) / 1e12);  // µV x µA = pW
    if (voltageNow)
        details.voltageMillivolts = static_cast<double>(*voltageNow) / 1000.0;
    if (currentNow)
        details.currentMilliamps = static_cast<double>(*currentNow) / 1000.0;
    registry.adapterDetails = details;
}

void readSupplyAttributes(const std::string& folder, PowerSupply& supply)
{
    // Listing the folder once is cheaper than trying every wanted file.
    const std::vector<std::string> files = directoryEntries(folder);
    const auto listed = [&](std::string_view file) {
        return std::find(files.begin(), files.end(), file) != files.end();
    };
    // A peripheral's driver may ask the device itself for every other figure
    // (a wireless round trip, on the main thread): learn only what it is.
    if (listed("scope")) {
        if (auto scope = readTextFile(folder + "scope", 4096))
            supply.attributes.emplace("scope", std::move(*scope));
        if (!isComputerSupply(supply))
            return;
    }
    if (listed("uevent")) {
        if (const auto uevent = readTextFile(folder + "uevent", 64 * 1024)) {
            auto fromUevent = parseSupplyUevent(*uevent);
            supply.attributes.merge(fromUevent);
        }
    }
    for (const char* key : wantedAttributes) {
        if (supply.attributes.count(std::string_view(key)) || !listed(key))
            continue;
        if (auto value = readTextFile(folder + key, 4096))
            supply.attributes.emplace(key, std::move(*value));
    }
}

}  // namespace

std::string_view PowerSupply::text(std::string_view key) const
{
    const auto found = attributes.find(key);
    return found == attributes.end() ? std::string_view() : trimmed(found->second);
}

std::optional<int64_t> PowerSupply::number(std::string_view key) const
{
    return parseSupplyNumber(text(key));
}

std::optional<int64_t> parseSupplyNumber(std::string_view text)
{
    text = trimmed(text);
    if (text.empty() || text.size() > 20)
        return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (value > largestSoundValue || value < -largestSoundValue)
        return std::nullopt;
    return value;
}

std::map<std::string, std::string, std::less<>> parseSupplyUevent(std::string_view text)
{
    constexpr std::string_view prefix = "POWER_SUPPLY_";
    std::map<std::string, std::string, std::less<>> attributes;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const size_t equals = line.find('=');
        if (!line.starts_with(prefix) || equals == std::string_view::npos || equals == prefix.size())
            continue;
        std::string key(line.substr(prefix.size(), equals - prefix.size()));
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
        attributes.insert_or_assign(std::move(key), std::string(line.substr(equals + 1)));
    }
    return attributes;
}

BatteryRegistry batteryRegistryFromSupplies(std::vector<PowerSupply> supplies)
{
    std::sort(supplies.begin(), supplies.end(),
              [](const PowerSupply& a, const PowerSupply& b) { return a.name < b.name; });
    Batteries batteries;
    for (const PowerSupply& supply : supplies) {
        if (supply.text("type") == "Battery" && isComputerSupply(supply))
            batteries.push_back(&supply);
    }

    BatteryRegistry registry;
    if (batteries.empty()) {
        // Without a battery the computer runs on its power supply.
        registry.hasBattery = false;
        registry.externalConnected = true;
    } else {
        registry.currentCapacity = capacityPercent(batteries);
        registry.externalConnected = externalPowerConnected(supplies, batteries);
        registry.isCharging = isCharging(batteries);
        registry.fullyCharged = std::all_of(batteries.begin(), batteries.end(), [](const PowerSupply* battery) {
            return battery->text("status") == "Full";
        });
        registry.timeRemainingMinutes = timeRemaining(batteries);
        readBatteryPower(batteries, registry);
    }
    const auto adapter = std::find_if(supplies.begin(), supplies.end(),
                                      [](const PowerSupply& supply) { return isAdapter(supply) && isOnline(supply); });
    if (adapter != supplies.end())
        readAdapter(*adapter, registry);
    return registry;
}

std::vector<PowerSupply> readPowerSupplies(const std::string& sysRoot)
{
    std::vector<PowerSupply> supplies;
    const std::string classDir = sysRoot + "/class/power_supply/";
    for (std::string& name : directoryEntries(classDir)) {
        PowerSupply supply{std::move(name), {}};
        readSupplyAttributes(classDir + supply.name + '/', supply);
        supplies.push_back(std::move(supply));
    }
    return supplies;
}

BatteryRegistry readBatteryRegistry(const std::string& sysRoot)
{
    return batteryRegistryFromSupplies(readPowerSupplies(sysRoot));
}

}  // namespace moravel
