#include "support/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using moravel::VirtualScheduler;

namespace {

using Runs = std::vector<std::pair<long, int>>;  // (milliseconds, label)

class VirtualSchedulerTest : public ::testing::Test {
protected:
    auto mark(int label)
    {
        return [this, label] { runs.emplace_back(std::lround(scheduler.monotonicSeconds() * 1000), label); };
    }

    VirtualScheduler scheduler;
    QObject owner;
    Runs runs;
};

}  // namespace

TEST_F(VirtualSchedulerTest, RunsDueItemsInTimeOrderThenSchedulingOrderAtTheirOwnTime)
{
    scheduler.runAfter(0.3, &owner, mark(3));
    scheduler.runAfter(0.1, &owner, mark(1));
    scheduler.runAfter(0.2, &owner, mark(2));
    scheduler.runAfter(0.2, &owner, mark(4));
    scheduler.runAfter(0.2, &owner, mark(5));
    scheduler.advance(0.25);
    EXPECT_EQ(runs, (Runs{{100, 1}, {200, 2}, {200, 4}, {200, 5}}));
    EXPECT_DOUBLE_EQ(scheduler.monotonicSeconds(), 0.25);
    const QDateTime wallClock = scheduler.currentDateTime();
    scheduler.advance(1);
    EXPECT_EQ(runs.back(), (std::pair<long, int>{300, 3}));
    EXPECT_EQ(wallClock.msecsTo(scheduler.currentDateTime()), 1000);  // the wall clock moves with virtual time
}

TEST_F(VirtualSchedulerTest, WorkScheduledByWorkRunsInTheSameAdvanceWhenDue)
{
    scheduler.runAfter(0.055, &owner, [&] { scheduler.runAfter(0.065, &owner, mark(7)); });
    scheduler.advance(0.12);  // 0.055 + 0.065, despite floating-point sums
    EXPECT_EQ(runs, (Runs{{120, 7}}));
}

TEST_F(VirtualSchedulerTest, CancelledItemAndItemOfADestroyedOwnerNeverRun)
{
    auto handle = scheduler.runAfter(0.1, &owner, mark(1));
    EXPECT_TRUE(handle.isPending());
    handle.cancel();
    handle.cancel();  // idempotent
    EXPECT_FALSE(handle.isPending());
    auto shortLived = std::make_unique<QObject>();
    scheduler.runAfter(0.1, shortLived.get(), mark(2));
    shortLived.reset();
    scheduler.advance(1);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

