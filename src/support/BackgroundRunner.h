#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

namespace moravel {

// Runs slow readings away from the main thread. A job runs in the background
// and returns the continuation that applies its result; the continuation runs
// on the main thread, and only if the owner still exists by then.
class BackgroundRunner {
public:
    using Continuation = std::function<void()>;
    using Job = std::function<Continuation()>;

    virtual ~BackgroundRunner() = default;
    virtual void post(QObject* owner, Job job) = 0;
};

// Production runner: a low-priority thread pool, results handed back through
// a queued call on the owner's thread.
//
// Destroying the runner waits for running jobs at most `quitWait`: a reading
// stuck in the kernel must not keep the program from quitting. Jobs that
// finish after that are dropped, results and all, and their threads are left
// to end with the process.
class ThreadPoolRunner final : public BackgroundRunner {
public:
    explicit ThreadPoolRunner(std::chrono::milliseconds quitWait = std::chrono::seconds(1));
    ~ThreadPoolRunner() override;
    void post(QObject* owner, Job job) override;

private:
    class Pool;
    struct Handover;
    Pool* pool_;
    std::shared_ptr<Handover> handover_;
    std::chrono::milliseconds quitWait_;
};

// Test runner: jobs wait until the test runs them, so a test decides exactly
// when a slow reading finishes.
class ManualRunner final : public BackgroundRunner {
public:
    void post(QObject* owner, Job job) override;

    int pendingCount() const { return static_cast<int>(jobs_.size()); }
    // Runs the oldest job and its continuation; returns false when none is waiting.
    bool runNext();
    void runAll();

private:
    struct Pending;
    std::vector<std::shared_ptr<Pending>> jobs_;
};

}  // namespace moravel
