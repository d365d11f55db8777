#include "monitor/Formatters.h"
#include "testsupport/FixtureTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace moravel;

TEST(MetricFormat, BytesChooseTheUnitBeforeRounding)
{
    EXPECT_EQ(MetricFormat::bytes(0), "0 MB");
    EXPECT_EQ(MetricFormat::bytes(999'999'999), "1000 MB");
    EXPECT_EQ(MetricFormat::bytes(1'000'000'000), "1.0 GB");
    EXPECT_EQ(MetricFormat::bytes(99'960'000'000), "100.0 GB");
    EXPECT_EQ(MetricFormat::bytes(100'000'000'000), "100 GB");
    EXPECT_EQ(MetricFormat::bytes(1'240'000'000'000), "1.2 TB");
}

TEST(MetricFormat, SpeedUsesOneLetterUnits)
{
    EXPECT_EQ(MetricFormat::speed(0), "0B");
    EXPECT_EQ(MetricFormat::speed(999.6), "1000B");
    EXPECT_EQ(MetricFormat::speed(1000), "1K");
    EXPECT_EQ(MetricFormat::speed(999'999), "1000K");
    EXPECT_EQ(MetricFormat::speed(1'000'000), "1.0M");
    EXPECT_EQ(MetricFormat::speed(1'100'000'000), "1.1G");
}

TEST(MetricFormat, PowerHidesWeakOrInvalidReadings)
{
    EXPECT_EQ(MetricFormat::power(0.05), "— W");
    EXPECT_EQ(MetricFormat::power(0.051), "0.1 W");
    EXPECT_EQ(MetricFormat::power(9.96), "10.0 W");
    EXPECT_EQ(MetricFormat::power(10), "10 W");
    EXPECT_EQ(MetricFormat::power(std::numeric_limits<double>::infinity()), "— W");
    EXPECT_EQ(MetricFormat::power(std::nan("")), "— W");
    EXPECT_EQ(MetricFormat::power(std::nullopt), "— W");
    EXPECT_EQ(MetricFormat::compactWatts(std::nullopt), "—");
    EXPECT_EQ(MetricFormat::compactWatts(12.4), "12W");
    EXPECT_EQ(MetricFormat::compactWatts(7.5), "7.5W");
}

TEST(MetricFormat, CompactBatteryClampsAndSaysFull)
{
    EXPECT_EQ(MetricFormat::compactBattery(120, false), "100%");
    EXPECT_EQ(MetricFormat::compactBattery(-5, false), "0%");
    EXPECT_EQ(MetricFormat::compactBattery(40, true), "Full");
}

TEST(BatterySymbol, BandsOfTheChargeLevel)
{
    EXPECT_EQ(BatterySymbol::name(150), "battery.100percent");
    EXPECT_EQ(BatterySymbol::name(88), "battery.100percent");
    EXPECT_EQ(BatterySymbol::name(87), "battery.75percent");
    EXPECT_EQ(BatterySymbol::name(62), "battery.50percent");
    EXPECT_EQ(BatterySymbol::name(13), "battery.25percent");
    EXPECT_EQ(BatterySymbol::name(12), "battery.0percent");
    EXPECT_EQ(BatterySymbol::name(-3), "battery.0percent");
}

TEST(MetricFormat, AGermanLocaleKeepsThePeriod)
{
    fixtures::GermanNumericLocale german;
    if (!german.isActive())
        GTEST_SKIP() << "no German locale could be made on this machine";
    EXPECT_EQ(MetricFormat::bytes(1'500'000'000), "1.5 GB");
    EXPECT_EQ(MetricFormat::speed(2'500'000), "2.5M");
    EXPECT_EQ(MetricFormat::power(7.25), "7.2 W");
    EXPECT_EQ(MetricFormat::fixed(0.5, 2), "0.50");
}
