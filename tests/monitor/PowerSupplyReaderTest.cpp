#include "monitor/LinuxTelemetry.h"
#include "monitor/PowerRules.h"
#include "monitor/PowerSupplyReader.h"
#include "testsupport/FixtureTree.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace moravel;
using moravel::fixtures::FixtureTree;

namespace {

using Attributes = std::map<std::string, std::string>;

// A copied /sys/class/power_supply, one attribute file per key.
class PowerSupplyTree : public ::testing::Test {
protected:
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

    std::optional<BatteryRegistry> registry() { return readBatteryRegistry(tree.sysRoot().toStdString()); }

    // The whole path the monitor takes: the reader, then the battery rules.
    SystemSnapshot snapshot()
    {
        SystemSnapshot next;
        if (const auto read = LinuxTelemetry(ReaderRoots{tree.procRoot(), tree.sysRoot()}).readBattery())
            applyBatteryRegistry(*read, next);
        return next;
    }

    FixtureTree tree;
};

}  // namespace

TEST(SupplyNumber, AcceptsOnlyWholeSoundIntegers)
{
    EXPECT_EQ(parseSupplyNumber("12000000\n"), 12'000'000);
    EXPECT_EQ(parseSupplyNumber("  -1500000 "), -1'500'000);
    EXPECT_EQ(parseSupplyNumber("0"), 0);
    for (const char* garbage : {"", " \n", "N/A", "12abc", "1.5", "0x10", "--5", "+", "99999999999999999999999",
                                "20000000000"})
        EXPECT_EQ(parseSupplyNumber(garbage), std::nullopt) << '"' << garbage << '"';
}

TEST(SupplyUevent, KeysBecomeAttributeNames)
{
    const auto attributes = parseSupplyUevent("POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_VOLTAGE_NOW=12000000\n"
                                              "POWER_SUPPLY_MODEL_NAME=5B10W=13\nDEVTYPE=x\nPOWER_SUPPLY_=1\n");
    EXPECT_EQ(attributes.at("voltage_now"), "12000000");
    EXPECT_EQ(attributes.at("model_name"), "5B10W=13");
    EXPECT_EQ(attributes.size(), 3u);
}

TEST_F(PowerSupplyTree, DischargingAndChargingAt1500mAAnd12VBothGive18W)
{
    mains(false);
    laptopBattery({{"status", "Discharging"}, {"current_now", "-1500000"}, {"voltage_now", "12000000"}});
    SystemSnapshot onBattery = snapshot();
    EXPECT_DOUBLE_EQ(onBattery.batteryPowerWatts, 18.0);
    EXPECT_FALSE(onBattery.isExternalPowerConnected);

    mains(true);
    laptopBattery({{"status", "Charging"}, {"current_now", "1500000"}, {"voltage_now", "12000000"}});
    SystemSnapshot charging = snapshot();
    EXPECT_DOUBLE_EQ(charging.batteryPowerWatts, 18.0);
    EXPECT_TRUE(charging.isExternalPowerConnected);
    EXPECT_TRUE(charging.isCharging);
}

TEST_F(PowerSupplyTree, PowerNowStandsInForCurrent)
{
    laptopBattery({{"status", "Discharging"}, {"power_now", "18000000"}, {"voltage_now", "12000000"}});
    EXPECT_DOUBLE_EQ(snapshot().batteryPowerWatts, 18.0);
    tree.remove("sys/class/power_supply/BAT0/voltage_now");
    EXPECT_DOUBLE_EQ(snapshot().batteryPowerWatts, 18.0);
}

TEST_F(PowerSupplyTree, TimeRemainingFromTheDriverOrFromEnergyOrCharge)
{
    mains(false);
    laptopBattery({{"status", "Discharging"}, {"energy_now", "30000000"}, {"power_now", "15000000"}});
    EXPECT_EQ(snapshot().minutesRemaining, 120);

    laptopBattery({{"time_to_empty_now", "60"}});  // the driver's own estimate wins
    EXPECT_EQ(snapshot().minutesRemaining, 1);

    tree.remove("sys/class/power_supply/BAT0");
    laptopBattery({{"status", "Discharging"}, {"charge_now", "2000000"}, {"current_now", "-1000000"}});
    EXPECT_EQ(snapshot().minutesRemaining, 120);

    mains(true);
    laptopBattery({{"status", "Charging"}, {"charge_full", "5000000"}, {"current_now", "1000000"}});
    EXPECT_EQ(snapshot().minutesRemaining, 180);
}

TEST_F(PowerSupplyTree, TimeRemainingAbsentWhenUnknownZeroOrHuge)
{
    mains(false);
    laptopBattery({{"status", "Discharging"}, {"energy_now", "30000000"}, {"power_now", "0"}});
    EXPECT_EQ(snapshot().minutesRemaining, std::nullopt);  // no rate, no estimate

    laptopBattery({{"power_now", "1"}});  // 30 Wh at 1 µW: far past 65534 minutes
    EXPECT_EQ(snapshot().minutesRemaining, std::nullopt);

    laptopBattery({{"time_to_empty_now", std::to_string(65534 * 60)}});
    EXPECT_EQ(snapshot().minutesRemaining, 65534);

    laptopBattery({{"status", "Full"}});
    EXPECT_EQ(snapshot().minutesRemaining, std::nullopt);
}

TEST_F(PowerSupplyTree, AdapterInputAndDetailsFromAnOnlineUsbPdSupply)
{
    supply("ucsi-source-psy-USBC000:001",
           {{"type", "USB"}, {"online", "1"}, {"voltage_now", "20000000"}, {"current_now", "3000000"},
            {"voltage_max", "20000000"}, {"current_max", "3250000"}});
    laptopBattery({{"status", "Charging"}});
    const SystemSnapshot next = snapshot();
    EXPECT_DOUBLE_EQ(next.systemInputWatts, 60.0);
    EXPECT_EQ(next.adapterWatts, 65);
    EXPECT_DOUBLE_EQ(next.adapterVoltage, 20.0);
    EXPECT_DOUBLE_EQ(next.adapterCurrent, 3.0);
}

TEST_F(PowerSupplyTree, InputAbove400WIsDiscarded)
{
    supply("USBC0", {{"type", "USB_PD"}, {"online", "1"}, {"voltage_now", "20000000"}, {"current_now", "22500000"}});
    laptopBattery({{"status", "Charging"}});
    EXPECT_DOUBLE_EQ(snapshot().systemInputWatts, 0.0);
}

TEST_F(PowerSupplyTree, MainsWithoutMeasurementsGivesNoInputPower)
{
    mains(true);
    laptopBattery({{"status", "Full"}});
    const SystemSnapshot next = snapshot();
    EXPECT_TRUE(next.isExternalPowerConnected);
    EXPECT_TRUE(next.isFullyCharged);
    EXPECT_DOUBLE_EQ(next.systemInputWatts, 0.0);
    EXPECT_EQ(next.adapterWatts, 0);
}

TEST_F(PowerSupplyTree, OnBatteryChargingAndFullAreIgnored)
{
    mains(false);
    laptopBattery({{"status", "Charging"}});
    SystemSnapshot next = snapshot();
    EXPECT_FALSE(next.isExternalPowerConnected);
    EXPECT_FALSE(next.isCharging);

    laptopBattery({{"status", "Full"}});
    EXPECT_FALSE(snapshot().isFullyCharged);
}

TEST_F(PowerSupplyTree, WithoutAnAdapterSupplyTheBatteryStatusTells)
{
    laptopBattery({{"status", "Charging"}});
    SystemSnapshot next = snapshot();
    EXPECT_TRUE(next.isExternalPowerConnected);
    EXPECT_TRUE(next.isCharging);

    laptopBattery({{"status", "Not charging"}});
    next = snapshot();
    EXPECT_TRUE(next.isExternalPowerConnected);
    EXPECT_FALSE(next.isCharging);

    laptopBattery({{"status", "Discharging"}});
    EXPECT_FALSE(snapshot().isExternalPowerConnected);
}

TEST_F(PowerSupplyTree, PeripheralBatteriesAndChargersAreNotTheComputers)
{
    supply("AAA-mouse", {{"type", "Battery"}, {"scope", "Device"}, {"capacity", "10"}});
    EXPECT_EQ(registry(), std::nullopt);

    supply("AAA-dock", {{"type", "USB"}, {"scope", "Device"}, {"online", "1"}});
    laptopBattery({{"capacity", "80"}, {"status", "Discharging"}});
    const SystemSnapshot next = snapshot();
    EXPECT_EQ(next.batteryPercent, 80);
    EXPECT_FALSE(next.isExternalPowerConnected);
}

TEST_F(PowerSupplyTree, FirstBatteryByNameIsTheOneRead)
{
    supply("BAT1", {{"type", "Battery"}, {"capacity", "20"}});
    supply("BAT0", {{"type", "Battery"}, {"capacity", "90"}});
    EXPECT_EQ(snapshot().batteryPercent, 90);
}

TEST_F(PowerSupplyTree, CapacityFallsBackToEnergyThenCharge)
{
    laptopBattery({{"energy_now", "25000000"}, {"energy_full", "50000000"}});
    EXPECT_EQ(snapshot().batteryPercent, 50);

    tree.remove("sys/class/power_supply/BAT0");
    laptopBattery({{"charge_now", "3100000"}, {"charge_full", "3000000"}});  // a worn battery over its "full"
    EXPECT_EQ(snapshot().batteryPercent, 100);

    laptopBattery({{"charge_full", "0"}});
    EXPECT_EQ(snapshot().batteryPercent, 0);
}

TEST_F(PowerSupplyTree, GarbageAttributesTakeTheDefaults)
{
    supply("AC", {{"type", "Mains"}, {"online", "yes"}});
    laptopBattery({{"capacity", "full"},
                   {"status", ""},
                   {"current_now", "99999999999999999999"},
                   {"voltage_now", "12V"},
                   {"time_to_empty_now", "-5"}});
    const auto read = registry();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->currentCapacity, 0);
    EXPECT_FALSE(read->externalConnected);
    EXPECT_EQ(read->amperageMilliamps, 0);
    EXPECT_EQ(read->voltageMillivolts, 0);
    EXPECT_EQ(read->timeRemainingMinutes, 0);
}

TEST_F(PowerSupplyTree, UeventSuppliesWhatTheSingleFilesLack)
{
    tree.write("sys/class/power_supply/BAT0/uevent",
               "POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\n"
               "POWER_SUPPLY_CURRENT_NOW=-1500000\nPOWER_SUPPLY_CAPACITY=64\n");
    supply("BAT0", {{"voltage_now", "12000000"}});
    const SystemSnapshot next = snapshot();
    EXPECT_EQ(next.batteryPercent, 64);
    EXPECT_DOUBLE_EQ(next.batteryPowerWatts, 18.0);
}

TEST_F(PowerSupplyTree, NoPowerSupplyClassMeansNoBattery)
{
    EXPECT_EQ(registry(), std::nullopt);
    SystemSnapshot before;
    before.batteryPercent = 42;
    SystemSnapshot after = before;
    if (const auto read = registry())
        applyBatteryRegistry(*read, after);
    EXPECT_EQ(after, before);
}
