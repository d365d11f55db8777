#include "views/chart/ChartSummary.h"

#include "testsupport/Snapshots.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace moravel;

namespace {

const QDateTime kEnd = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);

// A sample `ago` seconds before the end with `cpu` and the network's rates.
MetricSample sample(int ago, double cpu, double down = 0, double up = 0)
{
    MetricSample s = fixtures::sampleAt(kEnd.addSecs(-ago), cpu);
    s[Series::download] = down;
    s[Series::upload] = up;
    return s;
}

// The newest figure and the highest and lowest over the range, in the unit of
// the series; the hour leaves out what is older than an hour.
TEST(ChartSummary, SaysTheNewestHighestAndLowest)
{
    const MetricHistory history{sample(4000, 99), sample(200, 71, 2'000'000, 1000), sample(100, 4, 40'000, 0),
                                sample(0, 23.6, 1'200'000, 40'000)};
    const auto say = [&](MetricKind metric, ChartRange range) {
        return ChartSummary::text(metric, range, ChartSummary::lines(metric, range, history, {}, kEnd));
    };
    EXPECT_EQ(say(MetricKind::cpu, ChartRange::hour), "CPU over 1 hour: now 23 percent, highest 71, lowest 4");
    EXPECT_EQ(say(MetricKind::network, ChartRange::hour),
              "Network over 1 hour: Download now 1.2 megabytes a second, highest 2 megabytes a second, lowest 40 "
              "kilobytes a second; Upload now 40 kilobytes a second, highest 40 kilobytes a second, lowest 0 bytes "
              "a second");

    QList<MinuteBucket> buckets{{kEnd.toSecsSinceEpoch() - 25 * 3600, 60, {}}, {kEnd.toSecsSinceEpoch() - 3600, 60, {}}};
    buckets[0][Series::cpu] = {1, 2, 99};  // older than a day: left out
    buckets[1][Series::cpu] = {8, 40, 80};
    EXPECT_EQ(ChartSummary::text(MetricKind::cpu, ChartRange::day,
                                 ChartSummary::lines(MetricKind::cpu, ChartRange::day, history, buckets, kEnd)),
              "CPU over 24 hours: now 23 percent, highest 80, lowest 8");
}

// Nothing recorded reads "not available", never a zero.
TEST(ChartSummary, NothingRecordedIsNotAvailable)
{
    EXPECT_EQ(ChartSummary::text(MetricKind::cpu, ChartRange::fiveMinutes,
                                 ChartSummary::lines(MetricKind::cpu, ChartRange::fiveMinutes, {}, {}, kEnd)),
              "CPU over 5 minutes: not available");
    EXPECT_EQ(ChartSummary::text(MetricKind::cpu, ChartRange::fiveMinutes, {}), "CPU over 5 minutes: not available");
}

}  // namespace
