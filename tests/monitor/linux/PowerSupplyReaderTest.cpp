#include "monitor/PowerRules.h"
#include "monitor/linux/PowerSupplyReader.h"
#include "testsupport/FixtureTree.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace moravel;
using moravel::fixtures::FixtureTree;

namespace {

using Attributes = std::map<std::string, std::string>;

// A copied /sys/class/power_supply, one attribute file per key.
class PowerSupplies {
public:
    void supply(const std::string& name, const Attributes& attributes)
    {
        for (const auto& [key, value] : attributes)
            tree.write(QString::fromStdString("sys/class/power_supply/" + name + "/" + key), value + "\n");
    }

    void laptopBattery(Attributes extra)
    {
        extra.emplace("type", "Battery");
        extra.emplace("scope", "System");
        supply("BAT0", extra);
    }

    void mains(bool online) { supply("AC", {{"type", "Mains"}, {"online", online ? "1" : "0"}}); }

    BatteryRegistry registry() { return readBatteryRegistry(tree.sysRoot().toStdString()); }

    // The whole path the monitor takes: the reader, then the battery rules.
    PowerReading power() { return powerReadingOf(registry()); }

    FixtureTree tree;
};

}  // namespace

TEST(SupplyNumber, AcceptsOnlyWholeSoundIntegers)
{
    EXPECT_EQ(parseSupplyNumber("12000000\n"), 12'000'000);
    EXPECT_EQ(parseSupplyNumber("  -1500000 "), -1'500'000);
    for (const char* garbage : {"", "N/A", "12abc", "1.5", "--5", "99999999999999999999999", "20000000000"})
        EXPECT_EQ(parseSupplyNumber(garbage), std::nullopt) << '"' << garbage << '"';

    const auto attributes = parseSupplyUevent("POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_VOLTAGE_NOW=12000000\n"
                                              "POWER_SUPPLY_MODEL_NAME=5B10W=13\nDEVTYPE=x\nPOWER_SUPPLY_=1\n");
    EXPECT_EQ(attributes.at("model_name"), "5B10W=13");
    EXPECT_EQ(attributes.size(), 3u);
}

// Which supply tells whether the computer is on external power, charging or
// full; minutes from the driver's own estimate, else from energy or charge
// over the rate (to empty, or to full while charging), nothing without a rate,
// past 65534 minutes, or when full.
TEST(PowerSupplyStatus, Cases)
{
    enum { external = 1, charging = 2, full = 4 };
    const auto discharging = [](Attributes attributes) {
        attributes.emplace("status", "Discharging");
        return attributes;
    };
    const struct {
        const char* name;
        std::optional<bool> mains;
        Attributes battery;
        int state;
        std::optional<int64_t> minutes;
    } rows[] = {
        {"on battery, Charging is ignored", false, {{"status", "Charging"}}, 0, std::nullopt},
        {"no adapter supply, Charging", {}, {{"status", "Charging"}}, external | charging, std::nullopt},
        {"no adapter supply, Not charging", {}, {{"status", "Not charging"}}, external, std::nullopt},
        {"full", true, {{"status", "Full"}, {"energy_now", "30000000"}, {"power_now", "15000000"}}, external | full,
         std::nullopt},
        {"energy over power", false, discharging({{"energy_now", "30000000"}, {"power_now", "15000000"}}), 0, 120},
        {"driver estimate wins", false,
         discharging({{"energy_now", "30000000"}, {"power_now", "15000000"}, {"time_to_empty_now", "60"}}), 0, 1},
        {"charge over current", false, discharging({{"charge_now", "2000000"}, {"current_now", "-1000000"}}), 0, 120},
        {"no rate", false, discharging({{"energy_now", "30000000"}, {"power_now", "0"}}), 0, std::nullopt},
        {"huge", false, discharging({{"energy_now", "30000000"}, {"power_now", "1"}}), 0, std::nullopt},
        {"65534", false, discharging({{"time_to_empty_now", std::to_string(65534 * 60)}}), 0, 65534},
        {"negative estimate", false, discharging({{"time_to_empty_now", "-5"}}), 0, std::nullopt},
        {"time to full from charge", true,
         {{"status", "Charging"}, {"charge_now", "2000000"}, {"charge_full", "5000000"}, {"current_now", "1000000"}},
         external | charging, 180},
        {"time to full from energy", true,
         {{"status", "Charging"}, {"energy_now", "20000000"}, {"energy_full", "50000000"}, {"power_now", "15000000"}},
         external | charging, 120},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PowerSupplies supplies;
        if (row.mains)
            supplies.mains(*row.mains);
        supplies.laptopBattery(row.battery);
        const PowerReading next = supplies.power();
        ASSERT_TRUE(next.battery);
        EXPECT_EQ(next.isExternalPowerConnected, (row.state & external) != 0);
        EXPECT_EQ(next.battery->isCharging, (row.state & charging) != 0);
        EXPECT_EQ(next.battery->isFullyCharged, (row.state & full) != 0);
        EXPECT_EQ(next.battery->minutesRemaining, row.minutes);
        EXPECT_DOUBLE_EQ(next.systemInputWatts, 0.0);  // no measurements, no input power
    }
}

// Several batteries of the computer count as one; peripherals' stay out.
TEST(SeveralBatteries, CountTogether)
{
    const struct {
        const char* name;
        bool mains;
        Attributes first;
        Attributes second;
        std::optional<int64_t> percent;
        double watts;
        std::optional<int64_t> minutes;
        bool charging;
        bool full;
    } rows[] = {
        {"energy sums, one battery idle", false,
         {{"status", "Discharging"}, {"energy_now", "30000000"}, {"energy_full", "50000000"},
          {"power_now", "10000000"}},
         {{"status", "Not charging"}, {"energy_now", "10000000"}, {"energy_full", "30000000"}, {"power_now", "0"}},
         50, 10, 240, false, false},
        {"charge sums where energy is absent", true,
         {{"status", "Charging"}, {"charge_now", "2000000"}, {"charge_full", "4000000"}, {"current_now", "1000000"},
          {"voltage_now", "12000000"}},
         {{"status", "Charging"}, {"charge_now", "1000000"}, {"charge_full", "4000000"}, {"current_now", "1000000"},
          {"voltage_now", "12000000"}},
         38, 24, 150, true, false},
        {"capacities weighted by full energy, one charging one discharging", true,
         {{"status", "Charging"}, {"capacity", "100"}, {"energy_full", "60000000"}},
         {{"status", "Discharging"}, {"capacity", "40"}, {"energy_full", "20000000"}},
         85, 0, std::nullopt, false, false},
        {"full only when both are", true, {{"status", "Full"}, {"capacity", "100"}},
         {{"status", "Full"}, {"capacity", "100"}}, 100, 0, std::nullopt, false, true},
        {"one battery's figure past a kilowatt: the other's watts remain", false,
         {{"status", "Discharging"}, {"capacity", "50"}, {"power_now", "10000000"}},
         {{"status", "Discharging"}, {"capacity", "50"}, {"current_now", "100000000"}, {"voltage_now", "20000000"}},
         50, 10, std::nullopt, false, false},
        {"one battery's level unknown: the two's is unknown too", false,
         {{"status", "Discharging"}, {"capacity", "80"}, {"energy_full", "50000000"}},
         {{"status", "Discharging"}, {"energy_now", "0"}, {"energy_full", "0"}}, std::nullopt, 0, std::nullopt, false,
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PowerSupplies supplies;
        supplies.mains(row.mains);
        supplies.supply("BAT0", row.first);
        supplies.supply("BAT1", row.second);
        for (const char* battery : {"BAT0", "BAT1"})
            supplies.supply(battery, {{"type", "Battery"}, {"scope", "System"}});
        supplies.supply("hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "5"},
                                            {"status", "Discharging"}, {"power_now", "1000000"}});
        const std::optional<BatteryReading> battery = supplies.power().battery;
        ASSERT_TRUE(battery);
        EXPECT_EQ(battery->percent, row.percent);
        EXPECT_DOUBLE_EQ(battery->watts, row.watts);
        EXPECT_EQ(battery->minutesRemaining, row.minutes);
        EXPECT_EQ(battery->isCharging, row.charging);
        EXPECT_EQ(battery->isFullyCharged, row.full);
    }
}

TEST(PowerSupplyTree, WithoutABatteryOfItsOwnTheComputerRunsOnItsPowerSupply)
{
    PowerSupplies supplies;
    EXPECT_FALSE(supplies.registry().hasBattery);  // no power_supply class at all
    supplies.supply("AAA-mouse", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "10"}});
    supplies.supply("AAA-dock", {{"type", "USB"}, {"scope", "Device"}, {"online", "1"}});
    const PowerReading next = supplies.power();
    EXPECT_FALSE(next.battery);
    EXPECT_TRUE(next.isExternalPowerConnected);
    EXPECT_FALSE(next.adapter);
    EXPECT_DOUBLE_EQ(next.systemInputWatts, 0);
}

// The battery's power whatever the sign of its current, or from power_now;
// its charge from capacity, else energy, else charge; the uevent fills in
// what single files lack; an online USB PD supply gives the input. Figures no
// battery or adapter of a computer can give (over 400 W in) are clamped or dropped.
TEST(BatteryFigures, Cases)
{
    constexpr std::nullopt_t N = std::nullopt;
    const struct {
        const char* name;
        Attributes battery;
        Attributes adapter;
        std::optional<int64_t> percent;  // nothing where no figure tells the level, never 0
        double batteryWatts;
        int64_t adapterWatts;
        double inputWatts = 0;
    } rows[] = {
        {"discharging at 1.5 A and 12 V", {{"current_now", "-1500000"}, {"voltage_now", "12000000"}}, {}, N, 18, 0},
        {"charging at 1.5 A and 12 V",
         {{"status", "Charging"}, {"current_now", "1500000"}, {"voltage_now", "12000000"}}, {}, N, 18, 0},
        {"power_now in place of the current", {{"power_now", "18000000"}}, {}, N, 18, 0},
        {"uevent",
         {{"uevent", "POWER_SUPPLY_CURRENT_NOW=-1500000\nPOWER_SUPPLY_CAPACITY=64"}, {"voltage_now", "12000000"}}, {},
         64, 18, 0},
        {"energy", {{"energy_now", "25000000"}, {"energy_full", "50000000"}}, {}, 50, 0, 0},
        {"a worn battery over its full charge", {{"charge_now", "3100000"}, {"charge_full", "3000000"}}, {}, 100, 0, 0},
        {"no full charge", {{"charge_now", "3100000"}, {"charge_full", "0"}}, {}, N, 0, 0},
        {"no capacity and nothing full", {{"energy_now", "0"}, {"energy_full", "0"}}, {}, N, 0, 0},
        {"capacity over 100", {{"capacity", "140"}}, {}, 100, 0, 0},
        {"garbage", {{"capacity", "full"}, {"current_now", "99999999999999999999"}, {"voltage_now", "12V"}}, {}, N, 0,
         0},
        {"negative capacity falls back to energy", {{"capacity", "-5"}, {"energy_now", "1"}, {"energy_full", "2"}},
         {}, 50, 0, 0},
        {"2 kW from current and voltage", {{"current_now", "100000000"}, {"voltage_now", "20000000"}}, {}, N, 0, 0},
        {"1.2 kW power figure", {{"power_now", "1200000000"}}, {}, N, 0, 0},
        {"2 kW adapter rating", {}, {{"voltage_max", "20000000"}, {"current_max", "100000000"}}, N, 0, 0},
        {"sound figures pass", {{"capacity", "64"}, {"power_now", "999000000"}},
         {{"voltage_max", "20000000"}, {"current_max", "5000000"}}, 64, 999, 100},
        {"USB PD at 20 V and 3 A, rated 65 W", {{"status", "Charging"}},
         {{"voltage_now", "20000000"}, {"current_now", "3000000"}, {"voltage_max", "20000000"},
          {"current_max", "3250000"}},
         N, 0, 65, 60},
        {"450 W coming in", {}, {{"voltage_now", "20000000"}, {"current_now", "22500000"}}, N, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PowerSupplies supplies;
        Attributes adapter = row.adapter;
        adapter.insert({{"type", "USB"}, {"online", "1"}});
        supplies.supply("ucsi-source-psy-USBC000:001", adapter);
        supplies.laptopBattery(row.battery);
        const PowerReading next = supplies.power();
        ASSERT_TRUE(next.battery);
        EXPECT_EQ(next.battery->percent, row.percent);
        EXPECT_DOUBLE_EQ(next.battery->watts, row.batteryWatts);
        const AdapterReading measured = next.adapter.value_or(AdapterReading{});
        EXPECT_EQ(measured.ratedWatts.value_or(0), row.adapterWatts);
        EXPECT_DOUBLE_EQ(next.systemInputWatts, row.inputWatts);
        if (row.inputWatts > 0) {  // the adapter's own voltage and current, as measured
            EXPECT_EQ(std::pair(measured.volts, measured.amperes), std::pair(std::optional(20.0), std::optional(3.0)));
        }
    }
    // Volts and amperes no computer's adapter gives are dropped (an adapter
    // left telling nothing is none); the sign of its current is the driver's
    // convention.
    const struct {
        double millivolts, milliamperes;
        std::optional<AdapterReading> expected;
    } adapters[] = {
        {20'000, -3'250, AdapterReading{std::nullopt, 20, 3.25}},
        {60'000, 30'000, AdapterReading{std::nullopt, 60, 30}},
        {0, 2'000, AdapterReading{std::nullopt, std::nullopt, 2}},
        {60'001, 30'001, std::nullopt},
        {9'999'999.999, 9'999'999.999, std::nullopt},
    };
    for (const auto& row : adapters) {
        BatteryRegistry external;
        external.hasBattery = false;
        external.externalConnected = true;
        external.adapterDetails = BatteryRegistry::AdapterDetails{std::nullopt, row.millivolts, row.milliamperes};
        EXPECT_EQ(powerReadingOf(external).adapter, row.expected) << row.millivolts << " mV";
    }

    // Whatever the source, the snapshot never takes a percentage outside 0 to
    // 100, nor one no figure told.
    BatteryRegistry registry;
    EXPECT_EQ(powerReadingOf(registry).battery->percent, std::nullopt);
    registry.currentCapacity = -7;
    EXPECT_EQ(powerReadingOf(registry).battery->percent, 0);
}
