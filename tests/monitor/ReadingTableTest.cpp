#include "monitor/ReadingTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

using namespace moravel;

TEST(ReadingTable, LevelsAreInclusiveAndJudgedOnTheUnroundedValue)
{
    const struct {
        MetricKind kind;
        double value;
        Level expected;
    } rows[] = {
        {MetricKind::cpu, 69.9, Level::normal},    {MetricKind::cpu, 70, Level::elevated},
        {MetricKind::cpu, 84.9, Level::elevated},  {MetricKind::cpu, 85, Level::high},
        {MetricKind::cpu, 94.9, Level::high},      {MetricKind::cpu, 95, Level::critical},
        {MetricKind::memory, 74.9, Level::normal}, {MetricKind::memory, 75, Level::elevated},
        {MetricKind::memory, 84.9, Level::elevated}, {MetricKind::memory, 85, Level::high},
        {MetricKind::memory, 92.9, Level::high},   {MetricKind::memory, 93, Level::critical},
        {MetricKind::swap, 49.9, Level::normal},   {MetricKind::swap, 90, Level::critical},
        {MetricKind::cpu, NAN, Level::normal},     {MetricKind::network, 1e12, Level::normal},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << ReadingTable::of(row.kind).key << ' ' << row.value);
        EXPECT_EQ(ReadingTable::level(row.kind, row.value), row.expected);
    }
}

TEST(ReadingTable, SwapIsADetailOfTheMemoryTabOnlyWhereThereIsSwap)
{
    SystemSnapshot snapshot;
    EXPECT_TRUE(ReadingTable::tabDetails(MetricKind::memory, snapshot).isEmpty());
    EXPECT_EQ(ReadingTable::valueText(MetricKind::swap, snapshot), QStringLiteral("—"));
    EXPECT_EQ(ReadingTable::spoken(MetricKind::swap, snapshot), QStringLiteral("No swap"));
    snapshot.swapUsed = 1'500'000'000;
    snapshot.swapTotal = 8'000'000'000;
    EXPECT_EQ(ReadingTable::tabDetails(MetricKind::memory, snapshot), QStringList{"Swap 1.5 GB of 8.0 GB"});
    EXPECT_TRUE(ReadingTable::tabDetails(MetricKind::cpu, snapshot).isEmpty());
    EXPECT_EQ(ReadingTable::valueText(MetricKind::swap, snapshot), QStringLiteral("19%"));
    EXPECT_EQ(ReadingTable::level(MetricKind::swap, 18.75), Level::normal);
}

// What another machine does not publish reads as absent, never as zero.
TEST(ReadingTable, AbsentReadingsShowADash)
{
    SystemSnapshot snapshot;
    snapshot.cpuPercent = 12;
    snapshot.absentReadings = {ReadingGroup::memory, ReadingGroup::network};
    for (const auto& [kind, text, spoken] :
         {std::tuple{MetricKind::memory, "—", "Memory not available"}, {MetricKind::network, "—", "Network not available"},
          {MetricKind::cpu, "12%", "CPU 12 percent"}}) {
        EXPECT_EQ(ReadingTable::valueText(kind, snapshot), QString::fromUtf8(text));
        EXPECT_EQ(ReadingTable::spoken(kind, snapshot), QString::fromUtf8(spoken));
        EXPECT_EQ(std::isnan(ReadingTable::percent(kind, snapshot)), kind != MetricKind::cpu);
    }
}
