#include "monitor/linux/DiskReader.h"

#include <gtest/gtest.h>

using namespace moravel;

TEST(DiskReader, UsedIsTotalLessAvailableAndNeverBelowZero)
{
    EXPECT_EQ(diskMetricFrom(1000, 250), (DiskMetric{75.0, 750, 1000}));
    EXPECT_EQ(diskMetricFrom(1000, 1500), (DiskMetric{0, 0, 1000}));
    EXPECT_EQ(diskMetricFrom(0, 0), (DiskMetric{0, 0, 0}));
}

TEST(DiskReader, AVolumeThatCannotBeQueriedGivesNothing)
{
    EXPECT_EQ(readDiskUsage("/no/such/volume/here"), std::nullopt);
    const auto root = readDiskUsage("/");
    ASSERT_TRUE(root);
    EXPECT_LE(root->used, root->total);
}
