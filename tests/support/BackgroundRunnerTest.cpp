#include "support/BackgroundRunner.h"
#include "testsupport/Application.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <semaphore>

using namespace moravel;

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
