#include "support/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using moravel::TaskSlot;
using moravel::VirtualScheduler;

namespace {

struct Recorder {
    VirtualScheduler scheduler;
    QObject owner;
    std::vector<std::pair<double, int>> runs;  // (time, label)

    auto mark(int label)
    {
        return [this, label] { runs.emplace_back(scheduler.monotonicSeconds(), label); };
    }
};

}  // namespace

TEST(VirtualScheduler, RunsDueItemsInTimeOrderAtTheirOwnTime)
{
    Recorder r;
    r.scheduler.runAfter(0.3, &r.owner, r.mark(3));
    r.scheduler.runAfter(0.1, &r.owner, r.mark(1));
    r.scheduler.runAfter(0.2, &r.owner, r.mark(2));
    r.scheduler.advance(0.25);
    ASSERT_EQ(r.runs.size(), 2u);
    EXPECT_DOUBLE_EQ(r.runs[0].first, 0.1);
    EXPECT_EQ(r.runs[0].second, 1);
    EXPECT_EQ(r.runs[1].second, 2);
    EXPECT_DOUBLE_EQ(r.scheduler.monotonicSeconds(), 0.25);
    r.scheduler.advance(1);
    ASSERT_EQ(r.runs.size(), 3u);
    EXPECT_DOUBLE_EQ(r.runs[2].first, 0.3);
}

TEST(VirtualScheduler, ItemsDueTogetherRunInSchedulingOrder)
{
    Recorder r;
    for (int i = 0; i < 5; ++i)
        r.scheduler.runAfter(0.5, &r.owner, r.mark(i));
    r.scheduler.advance(0.5);
    ASSERT_EQ(r.runs.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(r.runs[static_cast<size_t>(i)].second, i);
}

TEST(VirtualScheduler, WorkScheduledByWorkRunsInTheSameAdvanceWhenDue)
{
    Recorder r;
    r.scheduler.runAfter(0.055, &r.owner, [&] { r.scheduler.runAfter(0.065, &r.owner, r.mark(7)); });
    r.scheduler.advance(0.12);  // 0.055 + 0.065, despite floating-point sums
    ASSERT_EQ(r.runs.size(), 1u);
    EXPECT_NEAR(r.runs[0].first, 0.12, 1e-9);
}

TEST(VirtualScheduler, CancelledItemNeverRuns)
{
    Recorder r;
    auto handle = r.scheduler.runAfter(0.1, &r.owner, r.mark(1));
    EXPECT_TRUE(handle.isPending());
    handle.cancel();
    handle.cancel();  // idempotent
    EXPECT_FALSE(handle.isPending());
    r.scheduler.advance(1);
    EXPECT_TRUE(r.runs.empty());
    EXPECT_EQ(r.scheduler.pendingCount(), 0);
}

TEST(VirtualScheduler, ItemOfADestroyedOwnerDoesNothing)
{
    Recorder r;
    bool ran = false;
    auto owner = std::make_unique<QObject>();
    r.scheduler.runAfter(0.1, owner.get(), [&] { ran = true; });
    owner.reset();
    r.scheduler.advance(1);
    EXPECT_FALSE(ran);
}

TEST(VirtualScheduler, RepeatingItemRunsEveryIntervalUntilCancelled)
{
    Recorder r;
    auto handle = r.scheduler.runEvery(1.0, 0.15, &r.owner, r.mark(0));
    r.scheduler.advance(3.5);
    ASSERT_EQ(r.runs.size(), 3u);
    EXPECT_DOUBLE_EQ(r.runs[2].first, 3.0);
    handle.cancel();
    r.scheduler.advance(5);
    EXPECT_EQ(r.runs.size(), 3u);
}

TEST(VirtualScheduler, WallClockMovesWithVirtualTime)
{
    VirtualScheduler scheduler;
    const QDateTime start = scheduler.currentDateTime();
    scheduler.advance(1.5);
    EXPECT_EQ(start.msecsTo(scheduler.currentDateTime()), 1500);
}

TEST(TaskSlot, ArmingReplacesThePendingItem)
{
    Recorder r;
    TaskSlot slot;
    slot.arm(r.scheduler, 0.2, &r.owner, r.mark(1));
    r.scheduler.advance(0.1);
    slot.arm(r.scheduler, 0.2, &r.owner, r.mark(2));
    r.scheduler.advance(1);
    ASSERT_EQ(r.runs.size(), 1u);
    EXPECT_EQ(r.runs[0].second, 2);
    EXPECT_NEAR(r.runs[0].first, 0.3, 1e-9);
    EXPECT_FALSE(slot.isPending());
}

TEST(TaskSlot, DestroyingTheSlotCancelsItsItem)
{
    Recorder r;
    {
        TaskSlot slot;
        slot.arm(r.scheduler, 0.1, &r.owner, r.mark(1));
    }
    r.scheduler.advance(1);
    EXPECT_TRUE(r.runs.empty());
}
