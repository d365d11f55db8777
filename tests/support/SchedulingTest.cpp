#include "support/BackgroundRunner.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Application.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <semaphore>
#include <vector>

using namespace moravel;

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

// Work scheduled by work runs in the same advance when due, despite
// floating-point sums (0.055 + 0.065 is 0.12).
TEST_F(VirtualSchedulerTest, RunsDueItemsInTimeOrderThenSchedulingOrderAtTheirOwnTime)
{
    scheduler.runAfter(0.3, &owner, mark(3));
    scheduler.runAfter(0.1, &owner, mark(1));
    scheduler.runAfter(0.2, &owner, mark(2));
    scheduler.runAfter(0.2, &owner, mark(4));
    scheduler.runAfter(0.055, &owner, [&] { scheduler.runAfter(0.065, &owner, mark(7)); });
    scheduler.advance(0.12);
    EXPECT_EQ(runs, (Runs{{100, 1}, {120, 7}}));
    scheduler.advance(0.13);
    EXPECT_EQ(runs, (Runs{{100, 1}, {120, 7}, {200, 2}, {200, 4}}));
    EXPECT_DOUBLE_EQ(scheduler.monotonicSeconds(), 0.25);
    const QDateTime wallClock = scheduler.currentDateTime();
    scheduler.advance(1);
    EXPECT_EQ(runs.back(), (std::pair<long, int>{300, 3}));
    EXPECT_EQ(wallClock.msecsTo(scheduler.currentDateTime()), 1000);  // the wall clock moves with virtual time
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

// A reading stuck in the kernel must not keep Moravel from quitting, and what
// it finds after the runner is gone goes nowhere.
TEST(ThreadPoolRunner, QuitsWithoutWaitingForAStuckJobAndDropsItsResult)
{
    fixtures::ensureApplication();
    std::binary_semaphore started(0), release(0), dropped(0);
    bool applied = false;
    QObject owner;
    {
        ThreadPoolRunner runner(std::chrono::milliseconds(0));
        runner.post(&owner, [&]() -> BackgroundRunner::Continuation {
            started.release();
            release.acquire();
            // Signals when the result is thrown away instead of handed over.
            auto token = std::shared_ptr<void>(nullptr, [&](void*) { dropped.release(); });
            return [&applied, token] { applied = true; };
        });
        started.acquire();
    }  // gives up on the job at once

    release.release();
    ASSERT_TRUE(dropped.try_acquire_for(std::chrono::seconds(20)));
    QCoreApplication::processEvents();
    EXPECT_FALSE(applied);
}
