#pragma once

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>

namespace moravel {

// A handle to one scheduled work item. Copies share the item; cancelling any
// copy cancels it. A default-constructed handle refers to nothing.
class TaskHandle {
public:
    struct Control {
        bool cancelled = false;
        bool finished = false;
        std::function<void()> onCancel;  // lets an implementation release its timer
    };

    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<Control> control) : control_(std::move(control)) {}

    // Idempotent; a cancelled item never runs.
    void cancel();
    // True while the item may still run.
    bool isPending() const { return control_ && !control_->cancelled && !control_->finished; }

private:
    std::shared_ptr<Control> control_;
};

// Every timer and delayed work item of Moravel goes through this interface,
// so that tests can drive time by hand. Work runs on the main thread, and does
// nothing when its owner has been destroyed.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Seconds on a monotonic clock; only differences are meaningful.
    virtual double monotonicSeconds() const = 0;
    // The wall-clock time, for timestamps shown to people.
    virtual QDateTime currentDateTime() const = 0;

    // Runs `work` once, `delaySeconds` from now.
    virtual TaskHandle runAfter(double delaySeconds, QObject* owner, std::function<void()> work) = 0;
    // Runs `work` every `intervalSeconds` until cancelled; the first run is one interval from now.
    // `toleranceSeconds` is how late a run may be allowed to drift to save wake-ups.
    virtual TaskHandle runEvery(double intervalSeconds, double toleranceSeconds, QObject* owner,
                                std::function<void()> work) = 0;
};

// One pending item per purpose: arming the slot cancels whatever it held before.
class TaskSlot {
public:
    TaskSlot() = default;
    TaskSlot(const TaskSlot&) = delete;
    TaskSlot& operator=(const TaskSlot&) = delete;
    ~TaskSlot() { cancel(); }

    void arm(Scheduler& scheduler, double delaySeconds, QObject* owner, std::function<void()> work);
    void cancel();
    bool isPending() const { return handle_.isPending(); }

private:
    TaskHandle handle_;
};

}  // namespace moravel
